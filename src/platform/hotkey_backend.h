#pragma once

#include <cstdint>
#include <functional>

namespace codalume {

// Modifier keys of a key event, independent of the windowing system.
enum KeyModifier : unsigned {
    ShiftModifier = 1u << 0,
    LockModifier = 1u << 1,
    ControlModifier = 1u << 2,
    AltModifier = 1u << 3,
    NumLockModifier = 1u << 4,
    SuperModifier = 1u << 5,  // the Command key of an Apple keyboard
};

// One key event as a keyboard hook reports it.
struct KeyEvent {
    bool press = true;       // false: release
    int keycode = -1;        // the hook's own key code
    unsigned modifiers = 0;  // KeyModifier bits held when the key went down
    uint32_t time = 0;       // server time in milliseconds; 0 when unknown
};

// A system-wide keyboard hook. `install` makes the hook deliver key events of the shortcut key
// (every key event it sees, for hooks that cannot filter) to `sink` on the main thread, until
// `uninstall`. The sink answers whether the event was swallowed.
class HotkeyBackend {
  public:
    using Sink = std::function<bool(const KeyEvent &)>;
    using Result = std::function<void(bool installed)>;
    virtual ~HotkeyBackend() = default;
    // `result` learns, at once or later on the main thread (a desktop portal answers over
    // D-Bus), whether the system accepted the hook; false: nothing is delivered. Not called
    // after `uninstall`.
    virtual void install(Sink sink, Result result) = 0;
    virtual void uninstall() = 0;
    // The key code of the shortcut key (the key in the "C" position), or -1 when unknown.
    virtual int shortcutKeycode() const = 0;
};

}  // namespace codalume
