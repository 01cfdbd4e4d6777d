// SPDX-License-Identifier: MIT
#include "platform/x11/x11_tray_host_monitor.h"

#include <xcb/xcb.h>

#include "platform/x11/x11_session.h"

namespace codalume {

X11TrayHostMonitor::X11TrayHostMonitor() {
    poll_.setInterval(1000);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (hostRunning()) {
            poll_.stop();
            emit hostAppeared();
        }
    });
    if (!hostRunning()) {
        poll_.start();
    }
}

bool X11TrayHostMonitor::hostRunning() {
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr) {
        return false;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(x11ScreenNumber());
    XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr));
    if (!atom) {
        return false;
    }
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace codalume
