// SPDX-License-Identifier: MIT
#include "platform/x11/x11_session.h"

#include <QGuiApplication>
#include <QSet>
#include <QWindow>

namespace codalume {

namespace {

QNativeInterface::QX11Application *x11Application() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
}

}  // namespace

int x11ScreenNumber() {
    char *host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) {
        return 0;
    }
    std::free(host);
    return screen;
}

bool isX11Session() {
    QNativeInterface::QX11Application *x11 = x11Application();
    return x11 != nullptr && x11->connection() != nullptr;
}

xcb_connection_t *x11Connection() {
    QNativeInterface::QX11Application *x11 = x11Application();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t x11RootWindow() {
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return XCB_WINDOW_NONE;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    const xcb_window_t first = it.rem > 0 ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
    for (int index = x11ScreenNumber(); it.rem > 0; --index, xcb_screen_next(&it)) {
        if (index == 0) {
            return it.data->root;
        }
    }
    return first;
}

bool pointerOverOwnWindow() {
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return false;
    }
    QSet<xcb_window_t> own;
    for (QWindow *window : QGuiApplication::allWindows()) {
        if (window->handle() != nullptr) {
            own.insert(static_cast<xcb_window_t>(window->winId()));
        }
    }
    // Walk from the root down the windows under the pointer: frames of the window manager and
    // the tray host's window come before ours.
    xcb_window_t window = x11RootWindow();
    for (int depth = 0; window != XCB_WINDOW_NONE && depth < 32; ++depth) {
        if (own.contains(window)) {
            return true;
        }
        XcbReply<xcb_query_pointer_reply_t> reply(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
        if (!reply || !reply->same_screen) {
            return false;
        }
        window = reply->child;
    }
    return false;
}

}  // namespace codalume
