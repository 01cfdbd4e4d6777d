// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb.h>
#include <cstdlib>
#include <memory>

namespace codalume {

// A reply or error that xcb hands over for the caller to free.
struct XcbFree {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// True when Qt runs on X11 (the xcb platform) and its connection is at hand. Nothing else in
// this folder may be called otherwise.
bool isX11Session();

// Qt's own connection (events on it are dispatched on the main thread) and the root window of
// the default screen. Valid only in an X11 session.
xcb_connection_t *x11Connection();
xcb_window_t x11RootWindow();
// The screen of $DISPLAY (":0.1" names screen 1), the one Qt opened.
int x11ScreenNumber();

// Whether the pointer is over one of this program's windows (tray icon, popover, dialogs).
bool pointerOverOwnWindow();

}  // namespace codalume
