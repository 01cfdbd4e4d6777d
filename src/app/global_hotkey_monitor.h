#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

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
    virtual ~HotkeyBackend() = default;
    // False when the system refused the hook; nothing is delivered then.
    virtual bool install(Sink sink) = 0;
    virtual void uninstall() = 0;
    // The key code of the shortcut key (the key in the "C" position), or -1 when unknown.
    virtual int shortcutKeycode() const = 0;
};

// The hook the running session supports: X11 key grabs when Qt runs on xcb, otherwise one
// that refuses (the shortcut then does nothing and the menu still captures).
std::unique_ptr<HotkeyBackend> makeHotkeyBackend();
std::unique_ptr<HotkeyBackend> makeNullHotkeyBackend();

// The global shortcut Super+Shift+C (further modifiers allowed). The press is swallowed and
// the callback runs afterwards from the main loop, so the hook is never blocked by the dialogs
// the callback opens. Auto-repeats, and presses while an earlier callback is still running,
// are swallowed and ignored.
class GlobalHotkeyMonitor : public QObject {
    Q_OBJECT
  public:
    explicit GlobalHotkeyMonitor(std::function<void()> callback,
                                 std::unique_ptr<HotkeyBackend> backend = makeHotkeyBackend(),
                                 QObject *parent = nullptr);
    ~GlobalHotkeyMonitor() override;

    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const { return installed_; }

    // The key handler: returns true when the event is swallowed.
    bool handleKeyEvent(const KeyEvent &event);

    // Whether the event is a press of the shortcut: the key and both Super and Shift.
    static bool matchesShortcut(const KeyEvent &event, int shortcutKeycode);

  private:
    void runCallback();

    std::unique_ptr<HotkeyBackend> backend_;
    std::function<void()> callback_;
    bool installed_ = false;
    bool keyHeld_ = false;  // the shortcut key is down: further presses are repeats
    uint32_t lastPressTime_ = 0;
    uint32_t lastReleaseTime_ = 0;  // a press at the same time as a release is a repeat
    bool busy_ = false;             // a callback is queued or running
};

}  // namespace codalume
