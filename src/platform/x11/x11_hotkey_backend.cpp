// SPDX-License-Identifier: MIT
#include "platform/x11/x11_hotkey_backend.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <set>

#include "platform/x11/x11_session.h"
#include "render/trace.h"

namespace codalume {

namespace {

// XKB's own event codes, in the second byte of its events.
constexpr uint8_t xkbNewKeyboardNotify = 0;
constexpr uint8_t xkbMapNotify = 1;

// A layout switch sends several notices in a row; the grabs are renewed once they are over.
constexpr int renewalDelayMs = 100;

struct KeymapDeleter {
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};

// The real modifier (Mod1..Mod5) that carries one of `keysyms` in the server's modifier map,
// or `fallback` when none does.
uint16_t modifierMaskFor(xcb_connection_t *connection, xkb_keymap *keymap,
                         std::initializer_list<xkb_keysym_t> keysyms, uint16_t fallback) {
    XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply) {
        return fallback;
    }
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    // Shift, Lock and Control (indices 0 to 2) are fixed; only Mod1..Mod5 vary.
    for (int modifier = 3; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == 0) {
                continue;
            }
            const xkb_keysym_t *syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms);
            for (int s = 0; s < count; ++s) {
                for (xkb_keysym_t wanted : keysyms) {
                    if (syms[s] == wanted) {
                        return static_cast<uint16_t>(1u << modifier);
                    }
                }
            }
        }
    }
    return fallback;
}

}  // namespace

X11HotkeyBackend::~X11HotkeyBackend() {
    uninstall();
}

std::optional<X11HotkeyBackend::Keys> X11HotkeyBackend::lookUpKeyboard() {
    xcb_connection_t *connection = x11Connection();
    if (xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEventBase_, nullptr) == 0) {
        return std::nullopt;
    }
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0) {
        return std::nullopt;
    }
    std::unique_ptr<xkb_context, KeymapDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) {
        return std::nullopt;
    }
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(xkb_x11_keymap_new_from_device(
        context.get(), connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return std::nullopt;
    }
    const xkb_keycode_t code = xkb_keymap_key_by_name(keymap.get(), "AB03");
    if (code == XKB_KEYCODE_INVALID || code > 255) {
        return std::nullopt;
    }
    Keys keys;
    keys.keycode = static_cast<int>(code);
    keys.superMask = modifierMaskFor(connection, keymap.get(), {XKB_KEY_Super_L, XKB_KEY_Super_R},
                                     XCB_MOD_MASK_4);
    keys.altMask =
        modifierMaskFor(connection, keymap.get(), {XKB_KEY_Alt_L, XKB_KEY_Alt_R}, XCB_MOD_MASK_1);
    keys.numLockMask =
        modifierMaskFor(connection, keymap.get(), {XKB_KEY_Num_Lock}, XCB_MOD_MASK_2);
    return keys;
}

void X11HotkeyBackend::install(Sink sink, Result result) {
    if (installed_) {
        result(true);
        return;
    }
    const std::optional<Keys> keys = isX11Session() ? lookUpKeyboard() : std::nullopt;
    if (!keys) {
        result(false);
        return;
    }
    keys_ = *keys;
    root_ = x11RootWindow();
    if (!grab()) {
        keys_ = {};
        result(false);
        return;
    }
    sink_ = std::move(sink);
    QCoreApplication::instance()->installNativeEventFilter(this);
    installed_ = true;
    result(true);
}

bool X11HotkeyBackend::grab() {
    xcb_connection_t *connection = x11Connection();
    const uint16_t base = keys_.superMask | XCB_MOD_MASK_SHIFT;
    const uint16_t extras[] = {XCB_MOD_MASK_LOCK, keys_.numLockMask, XCB_MOD_MASK_CONTROL,
                               keys_.altMask};
    std::set<uint16_t> combinations;
    for (unsigned subset = 0; subset < 16; ++subset) {
        uint16_t mods = base;
        for (unsigned bit = 0; bit < 4; ++bit) {
            if ((subset & (1u << bit)) != 0) {
                mods |= extras[bit];
            }
        }
        combinations.insert(mods);
    }

    QList<std::pair<uint16_t, xcb_void_cookie_t>> cookies;
    for (uint16_t mods : combinations) {
        cookies.append({mods, xcb_grab_key_checked(connection, 0, root_, mods,
                                                   static_cast<xcb_keycode_t>(keys_.keycode),
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
    }
    // Each grab's error is checked now: BadAccess means another client holds that combination;
    // any other error refuses the hook just the same.
    bool refused = false;
    for (const auto &[mods, cookie] : cookies) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
        if (error) {
            refused = true;
        } else {
            grabbed_.append(mods);
        }
    }
    if (refused) {
        ungrab();
    }
    return !refused;
}

void X11HotkeyBackend::ungrab() {
    if (xcb_connection_t *connection = x11Connection()) {
        for (uint16_t mods : grabbed_) {
            xcb_ungrab_key(connection, static_cast<xcb_keycode_t>(keys_.keycode), root_, mods);
        }
        xcb_flush(connection);
    }
    grabbed_.clear();
}

void X11HotkeyBackend::uninstall() {
    if (!installed_) {
        return;
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    ungrab();
    sink_ = nullptr;
    installed_ = false;
    keys_ = {};
}

bool X11HotkeyBackend::isKeyboardChange(const xcb_generic_event_t *event) const {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        return true;
    }
    // Qt selects XKB's notices on its connection for its own keymap; they pass here first.
    const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
    return xkbEventBase_ != 0 && type == xkbEventBase_ &&
           (xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify);
}

void X11HotkeyBackend::renewGrabs() {
    renewalPending_ = false;
    if (!installed_) {
        return;
    }
    const std::optional<Keys> keys = lookUpKeyboard();
    if (keys && *keys == keys_) {
        return;  // a change that leaves the shortcut where it was (another layout, say)
    }
    ungrab();
    const int before = keys_.keycode;
    keys_ = keys.value_or(Keys{});
    if (!keys || !grab()) {
        // Another client holds the new combination: the shortcut is gone until the next change.
        keys_ = {};
        printError(
            QStringLiteral("the shortcut could not be grabbed again after a keyboard change"));
        return;
    }
    diagnostic(QStringLiteral("x11: keyboard changed; the shortcut key is now %1 (was %2)")
                   .arg(keys_.keycode)
                   .arg(before));
}

bool X11HotkeyBackend::isShortcut(int shortcutKeycode, uint16_t superMask, bool press, int keycode,
                                  uint16_t state) {
    const uint16_t required = superMask | XCB_MOD_MASK_SHIFT;
    return keycode == shortcutKeycode && (!press || (state & required) == required);
}

bool X11HotkeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (!installed_ || eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if (isKeyboardChange(event)) {
        if (!renewalPending_) {
            renewalPending_ = true;
            QTimer::singleShot(renewalDelayMs, &renewal_, [this] { renewGrabs(); });
        }
        return false;  // Qt needs them too
    }
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    // Key press and release events share one layout.
    auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
    const bool press = type == XCB_KEY_PRESS;
    if (key->event != root_ ||
        !isShortcut(keys_.keycode, keys_.superMask, press, key->detail, key->state)) {
        return false;
    }
    sink_({press, key->time});
    return true;
}

}  // namespace codalume
