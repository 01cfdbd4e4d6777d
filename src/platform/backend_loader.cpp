#include "platform/backend_loader.h"

#include "platform/null_backends.h"
#include "platform/x11/x11_hotkey_backend.h"
#include "platform/x11/x11_raw_button_backend.h"
#include "platform/x11/x11_session.h"

namespace codalume {

std::unique_ptr<HotkeyBackend> makeHotkeyBackend() {
    if (isX11Session()) {
        return std::make_unique<X11HotkeyBackend>();
    }
    return makeNullHotkeyBackend();
}

std::unique_ptr<MouseBackend> makeMouseBackend() {
    if (isX11Session()) {
        return std::make_unique<X11RawButtonBackend>();
    }
    return makeNullMouseBackend();
}

}  // namespace codalume
