#include "platform/x11/x11_tray_host_monitor.h"

#include <xcb/xcb.h>
#include <cstdlib>
#include <memory>

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
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr),
        &std::free);
    if (!atom) {
        return false;
    }
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace codalume
