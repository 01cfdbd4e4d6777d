// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "platform/clipboard_access.h"
#include "platform/hotkey_backend.h"
#include "platform/mouse_backend.h"

namespace codalume {

// Backends of a session that offers neither hook: the hotkey is refused and the mouse observer
// never starts, so the shortcut does nothing and the menu still captures.
std::unique_ptr<HotkeyBackend> makeNullHotkeyBackend();
std::unique_ptr<MouseBackend> makeNullMouseBackend();
// Where any program may read the clipboard at any time.
std::unique_ptr<ClipboardAccess> makeNullClipboardAccess();

}  // namespace codalume
