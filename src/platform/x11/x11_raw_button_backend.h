// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

#include "platform/mouse_backend.h"

namespace codalume {

// XInput2 raw button presses selected on the root window: they reach this client whatever
// window gets the click and whoever holds a grab. Presses over our own windows are dropped.
class X11RawButtonBackend : public MouseBackend, public QAbstractNativeEventFilter {
  public:
    X11RawButtonBackend() = default;
    ~X11RawButtonBackend() override;
    X11RawButtonBackend(const X11RawButtonBackend &) = delete;
    X11RawButtonBackend &operator=(const X11RawButtonBackend &) = delete;

    bool start(Sink sink) override;
    void stop() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

  private:
    Sink sink_;
    bool started_ = false;
    uint8_t opcode_ = 0;
};

}  // namespace codalume
