// SPDX-License-Identifier: MIT
#include "platform/backend_loader.h"

#include <QGuiApplication>
#include <vector>

#include "platform/null_backends.h"
#include "platform/portal/portal_hotkey_backend.h"
#include "platform/statusnotifier/status_notifier_host_monitor.h"
#include "platform/wayland/focus_clipboard_access.h"
#include "platform/x11/x11_hotkey_backend.h"
#include "platform/x11/x11_raw_button_backend.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/x11_tray_host_monitor.h"

namespace codalume {

namespace {

// Qt on Wayland, or on X11 through Xwayland: X11 then sees only what happens in X11 windows,
// and key grabs never fire while a Wayland window has the focus.
bool isWaylandSession() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return true;
    }
    return isX11Session() &&
           (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
            !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
}

// Any of several kinds of tray host.
class AnyTrayHostMonitor : public TrayHostMonitor {
  public:
    void add(std::unique_ptr<TrayHostMonitor> monitor) {
        connect(monitor.get(), &TrayHostMonitor::hostAppeared, this,
                &TrayHostMonitor::hostAppeared);
        monitors_.push_back(std::move(monitor));
    }
    bool hostRunning() override {
        for (const auto &monitor : monitors_) {
            if (monitor->hostRunning()) {
                return true;
            }
        }
        return false;
    }

  private:
    std::vector<std::unique_ptr<TrayHostMonitor>> monitors_;
};

}  // namespace

std::unique_ptr<HotkeyBackend> makeHotkeyBackend() {
    if (isWaylandSession()) {
        return std::make_unique<PortalHotkeyBackend>();
    }
    if (isX11Session()) {
        return std::make_unique<X11HotkeyBackend>();
    }
    return makeNullHotkeyBackend();
}

std::unique_ptr<MouseBackend> makeMouseBackend() {
    if (isX11Session() && !isWaylandSession()) {
        return std::make_unique<X11RawButtonBackend>();
    }
    return makeNullMouseBackend();
}

std::unique_ptr<ClipboardAccess> makeClipboardAccess() {
    if (isWaylandSession()) {
        return std::make_unique<FocusClipboardAccess>();
    }
    return makeNullClipboardAccess();
}

std::unique_ptr<TrayHostMonitor> makeTrayHostMonitor() {
    auto any = std::make_unique<AnyTrayHostMonitor>();
    any->add(std::make_unique<StatusNotifierHostMonitor>());
    if (isX11Session() && !isWaylandSession()) {
        any->add(std::make_unique<X11TrayHostMonitor>());
    }
    return any;
}

}  // namespace codalume
