// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <optional>

#include "platform/hotkey_backend.h"

namespace codalume {

// The shortcut as passive key grabs on the root window: the key at the XKB position AB03 (the
// "C" key of a QWERTY layout, wherever the layout puts the letter) with Super+Shift, plus every
// combination of Lock, NumLock, Ctrl and Alt so that those never stop a match. Another client
// holding any of these grabs means the hook is refused. When the keyboard changes (another
// layout or keyboard model, a keyboard plugged in, a new modifier map) the key and the
// modifier bits are looked up again and the grabs renewed. Presses and releases of the grabbed
// key are reported and swallowed.
class X11HotkeyBackend : public HotkeyBackend, public QAbstractNativeEventFilter {
  public:
    X11HotkeyBackend() = default;
    ~X11HotkeyBackend() override;
    X11HotkeyBackend(const X11HotkeyBackend &) = delete;
    X11HotkeyBackend &operator=(const X11HotkeyBackend &) = delete;

    void install(Sink sink, Result result) override;
    void uninstall() override;

    // Whether a key event on the root window is the shortcut's: its key and, for a press, Super
    // and Shift among the modifiers held (others do not matter). An unknown key (-1) matches no
    // key code of an event (0 to 255).
    static bool isShortcut(int shortcutKeycode, uint16_t superMask, bool press, int keycode,
                           uint16_t state);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

  private:
    // What the grabs depend on: the key in the "C" position and the modifier bits.
    struct Keys {
        int keycode = -1;
        uint16_t superMask = XCB_MOD_MASK_4;
        uint16_t altMask = XCB_MOD_MASK_1;
        uint16_t numLockMask = XCB_MOD_MASK_2;
        bool operator==(const Keys &) const = default;
    };
    std::optional<Keys> lookUpKeyboard();
    bool grab();
    void ungrab();
    bool isKeyboardChange(const xcb_generic_event_t *event) const;
    void renewGrabs();

    Sink sink_;
    bool installed_ = false;
    QObject renewal_;  // holds the pending renewal: one for a burst of change notices
    bool renewalPending_ = false;
    uint8_t xkbEventBase_ = 0;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    Keys keys_;
    QList<uint16_t> grabbed_;
};

}  // namespace codalume
