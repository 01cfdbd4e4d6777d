// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

namespace codalume {

// A press or a release of the shortcut, as a system hook reports it.
struct ShortcutEvent {
    bool pressed = true;  // false: released
    uint32_t time = 0;    // milliseconds on the hook's clock; 0 when unknown
};

// A system-wide hook of the global shortcut (Super+Shift+C). `install` makes the hook report
// the shortcut's presses and releases to `sink` on the main thread, until `uninstall`; the hook
// decides what is the shortcut, and swallows what it reports.
class HotkeyBackend {
  public:
    using Sink = std::function<void(const ShortcutEvent &)>;
    using Result = std::function<void(bool installed)>;
    virtual ~HotkeyBackend() = default;
    // `result` learns, at once or later on the main thread (a desktop portal answers over
    // D-Bus), whether the system accepted the hook; false: nothing is reported. Not called
    // after `uninstall`.
    virtual void install(Sink sink, Result result) = 0;
    virtual void uninstall() = 0;
};

}  // namespace codalume
