// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/backend_loader.h"

namespace codalume {

// Kinds of events an EventMonitor reports, as bits of a 64-bit mask (bit n = event type n).
enum class EventType : int { LeftMouseDown = 1, RightMouseDown = 3, OtherMouseDown = 25 };
inline constexpr uint64_t eventMaskFor(EventType type) {
    return uint64_t{1} << static_cast<int>(type);
}
inline constexpr uint64_t leftMouseDownMask = eventMaskFor(EventType::LeftMouseDown);    // 2
inline constexpr uint64_t rightMouseDownMask = eventMaskFor(EventType::RightMouseDown);  // 8
inline constexpr uint64_t otherMouseDownMask = eventMaskFor(EventType::OtherMouseDown);

// A mouse-button press somewhere outside this program.
struct GlobalEvent {
    EventType type = EventType::LeftMouseDown;
    int button = 1;  // 1 left, 2 middle, 3 right, 8 and up: extra buttons
};

// The event kind of a pressed button, or nothing for the wheel's buttons (4 to 7).
std::optional<EventType> eventTypeForButton(int button);

// Reports mouse presses of the kinds in `mask` to `handler` between start and stop.
class EventMonitor {
  public:
    using Handler = std::function<void(const GlobalEvent *event)>;
    EventMonitor(uint64_t mask, Handler handler,
                 std::unique_ptr<MouseBackend> backend = makeMouseBackend());
    ~EventMonitor();
    EventMonitor(const EventMonitor &) = delete;
    EventMonitor &operator=(const EventMonitor &) = delete;

    // Starting while started replaces the earlier registration instead of leaking it.
    void start();
    void stop();
    bool isStarted() const { return started_; }
    uint64_t mask() const { return mask_; }

  private:
    std::unique_ptr<MouseBackend> backend_;
    bool started_ = false;
    uint64_t mask_;
    Handler handler_;
};

}  // namespace codalume
