// SPDX-License-Identifier: MIT
#include "platform/x11/x11_raw_button_backend.h"

#include <xcb/xinput.h>
#include <QCoreApplication>

#include "platform/x11/x11_session.h"

namespace codalume {

namespace {

// Every started backend shares the one selection of this client on the root window.
int activeBackends = 0;

bool selectRawPresses(bool on) {
    xcb_connection_t *connection = x11Connection();
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = on ? XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS : 0;
    XcbReply<xcb_generic_error_t> error(xcb_request_check(
        connection,
        xcb_input_xi_select_events_checked(connection, x11RootWindow(), 1, &mask.head)));
    return !error;
}

}  // namespace

X11RawButtonBackend::~X11RawButtonBackend() {
    stop();
}

bool X11RawButtonBackend::start(Sink sink) {
    stop();
    if (!isX11Session()) {
        return false;
    }
    xcb_connection_t *connection = x11Connection();
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (extension == nullptr || !extension->present) {
        return false;
    }
    // Qt has negotiated 2.2 on this connection already; asking for less is an error.
    XcbReply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    if (!version || (version->major_version < 2) ||
        (version->major_version == 2 && version->minor_version < 1)) {
        return false;  // raw events reach a client during grabs only from 2.1 on
    }
    if (activeBackends == 0 && !selectRawPresses(true)) {
        return false;
    }
    ++activeBackends;
    opcode_ = extension->major_opcode;
    sink_ = std::move(sink);
    QCoreApplication::instance()->installNativeEventFilter(this);
    started_ = true;
    return true;
}

void X11RawButtonBackend::stop() {
    if (!started_) {
        return;
    }
    started_ = false;
    sink_ = nullptr;
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    if (--activeBackends == 0 && isX11Session()) {
        selectRawPresses(false);
    }
}

bool X11RawButtonBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (!started_ || eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC) {
        return false;
    }
    auto *generic = reinterpret_cast<xcb_ge_generic_event_t *>(event);
    if (generic->extension != opcode_ || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS) {
        return false;
    }
    const int button =
        static_cast<int>(reinterpret_cast<xcb_input_raw_button_press_event_t *>(event)->detail);
    if (pointerOverOwnWindow()) {
        return false;
    }
    // The sink may destroy this backend: nothing here is touched after the call.
    Sink sink = sink_;
    if (sink) {
        sink(button);
    }
    return false;
}

}  // namespace codalume
