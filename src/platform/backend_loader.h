// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "platform/clipboard_access.h"
#include "platform/hotkey_backend.h"
#include "platform/mouse_backend.h"
#include "platform/tray_host_monitor.h"

namespace codalume {

// The backends the running session supports, chosen at run time; the only place that names a
// backend. X11 sessions: key grabs, XInput2 raw button presses, XEmbed trays. Wayland sessions
// (Qt on wayland, or on xcb under Xwayland): the desktop portal's GlobalShortcuts, no global
// mouse presses, a clipboard read with the focus. Everywhere: StatusNotifier trays.
std::unique_ptr<HotkeyBackend> makeHotkeyBackend();
std::unique_ptr<MouseBackend> makeMouseBackend();
std::unique_ptr<ClipboardAccess> makeClipboardAccess();
std::unique_ptr<TrayHostMonitor> makeTrayHostMonitor();

}  // namespace codalume
