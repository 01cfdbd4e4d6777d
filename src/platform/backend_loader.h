#pragma once

#include <memory>

#include "platform/hotkey_backend.h"
#include "platform/mouse_backend.h"

namespace codalume {

// The backends the running session supports, chosen at run time: X11 key grabs and XInput2
// raw button presses when Qt runs on xcb, otherwise the null backends. The only place that
// names a backend.
std::unique_ptr<HotkeyBackend> makeHotkeyBackend();
std::unique_ptr<MouseBackend> makeMouseBackend();

}  // namespace codalume
