#pragma once

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QList>

#include "platform/hotkey_backend.h"

namespace codalume {

// The shortcut as passive key grabs on the root window: the key at the XKB position AB03 (the
// "C" key of a QWERTY layout, wherever the layout puts the letter) with Super+Shift, plus every
// combination of Lock, NumLock, Ctrl and Alt so that those never stop a match. Another client
// holding any of these grabs means the hook is refused.
class X11HotkeyBackend : public HotkeyBackend, public QAbstractNativeEventFilter {
  public:
    X11HotkeyBackend() = default;
    ~X11HotkeyBackend() override;
    X11HotkeyBackend(const X11HotkeyBackend &) = delete;
    X11HotkeyBackend &operator=(const X11HotkeyBackend &) = delete;

    bool install(Sink sink) override;
    void uninstall() override;
    int shortcutKeycode() const override { return installed_ ? keycode_ : -1; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

  private:
    bool lookUpKeyboard();
    unsigned toModifiers(uint16_t state) const;

    Sink sink_;
    bool installed_ = false;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    int keycode_ = -1;
    uint16_t superMask_ = XCB_MOD_MASK_4;
    uint16_t altMask_ = XCB_MOD_MASK_1;
    uint16_t numLockMask_ = XCB_MOD_MASK_2;
    QList<uint16_t> grabbed_;
};

}  // namespace codalume
