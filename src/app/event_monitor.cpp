// SPDX-License-Identifier: MIT
#include "app/event_monitor.h"

#include "platform/null_backends.h"

namespace codalume {

std::optional<EventType> eventTypeForButton(int button) {
    if (button == 1) {
        return EventType::LeftMouseDown;
    }
    if (button == 3) {
        return EventType::RightMouseDown;
    }
    if (button == 2 || button >= 8) {
        return EventType::OtherMouseDown;
    }
    return std::nullopt;  // the wheel, or no button at all
}

EventMonitor::EventMonitor(uint64_t mask, Handler handler, std::unique_ptr<MouseBackend> backend)
    : backend_(backend ? std::move(backend) : makeNullMouseBackend()),
      mask_(mask),
      handler_(std::move(handler)) {}

EventMonitor::~EventMonitor() {
    stop();
    handler_ = nullptr;
}

void EventMonitor::start() {
    stop();
    started_ = backend_->start([this](int button) {
        const std::optional<EventType> type = eventTypeForButton(button);
        if (!started_ || !type || (mask_ & eventMaskFor(*type)) == 0 || !handler_) {
            return;
        }
        const GlobalEvent event{*type, button};
        // Copied: the handler may stop or destroy this monitor while it runs.
        Handler handler = handler_;
        handler(&event);
    });
}

void EventMonitor::stop() {
    if (!started_) {
        return;
    }
    backend_->stop();
    started_ = false;
}

}  // namespace codalume
