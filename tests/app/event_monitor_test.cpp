#include <gtest/gtest.h>

#include <vector>

#include "app/event_monitor.h"
#include "fake_hooks.h"

namespace codalume {
namespace {

using testing::FakeMouseBackend;

constexpr uint64_t controllerMask = leftMouseDownMask | rightMouseDownMask;

TEST(EventMonitorTest, ReportsOnlyPressesOfTheMaskedKinds) {
    struct Case {
        int button;
        uint64_t mask;
        std::optional<EventType> reported;
    };
    const std::vector<Case> cases = {
        {1, controllerMask, EventType::LeftMouseDown},
        {3, controllerMask, EventType::RightMouseDown},
        {2, controllerMask, std::nullopt},
        {4, controllerMask, std::nullopt},  // wheel
        {5, ~uint64_t{0}, std::nullopt},    // wheel, whatever the mask
        {9, controllerMask, std::nullopt},
        {1, rightMouseDownMask, std::nullopt},
        {3, leftMouseDownMask, std::nullopt},
        {2, otherMouseDownMask, EventType::OtherMouseDown},
        {9, otherMouseDownMask, EventType::OtherMouseDown},
    };
    for (const Case &c : cases) {
        FakeMouseBackend::Log log;
        std::vector<GlobalEvent> seen;
        EventMonitor monitor(
            c.mask, [&seen](const GlobalEvent *event) { seen.push_back(*event); },
            std::make_unique<FakeMouseBackend>(log, true));
        monitor.start();
        ASSERT_TRUE(log.sink);
        log.sink(c.button);
        if (c.reported) {
            ASSERT_EQ(seen.size(), 1u) << "button " << c.button;
            EXPECT_EQ(seen[0].type, *c.reported);
            EXPECT_EQ(seen[0].button, c.button);
        } else {
            EXPECT_TRUE(seen.empty()) << "button " << c.button;
        }
    }
}

TEST(EventMonitorTest, StartStopSequencesLeaveOneRegistrationAtMost) {
    struct Case {
        const char *name;
        bool accept;
        std::vector<char> steps;  // 's' start, 'x' stop
        int active;
        int backendStops;
        bool started;
    };
    const std::vector<Case> cases = {
        {"created only", true, {}, 0, 0, false},
        {"start", true, {'s'}, 1, 0, true},
        {"start twice replaces", true, {'s', 's'}, 1, 1, true},
        {"start, stop, stop", true, {'s', 'x', 'x'}, 0, 1, false},
        {"stop without start", true, {'x'}, 0, 0, false},
        {"refused start", false, {'s', 'x'}, 0, 0, false},
    };
    for (const Case &c : cases) {
        FakeMouseBackend::Log log;
        {
            EventMonitor monitor(
                controllerMask, [](const GlobalEvent *) {},
                std::make_unique<FakeMouseBackend>(log, c.accept));
            for (char step : c.steps) {
                step == 's' ? monitor.start() : monitor.stop();
            }
            EXPECT_EQ(log.active, c.active) << c.name;
            EXPECT_EQ(log.stops, c.backendStops) << c.name;
            EXPECT_EQ(monitor.isStarted(), c.started) << c.name;
        }
        EXPECT_EQ(log.active, 0) << c.name << " (destroyed)";
    }
}

TEST(EventMonitorTest, HandlerMayStopTheMonitor) {
    FakeMouseBackend::Log log;
    int calls = 0;
    EventMonitor *self = nullptr;
    EventMonitor monitor(
        controllerMask,
        [&](const GlobalEvent *) {
            ++calls;
            self->stop();
        },
        std::make_unique<FakeMouseBackend>(log, true));
    self = &monitor;
    monitor.start();
    FakeMouseBackend::Sink sink = log.sink;
    sink(1);
    sink(1);  // a press that was already on its way when the monitor stopped
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(monitor.isStarted());
}

TEST(EventMonitorTest, WithoutX11TheDefaultObserverNeverStarts) {
    EventMonitor monitor(controllerMask, [](const GlobalEvent *) {});
    monitor.start();
    EXPECT_FALSE(monitor.isStarted());
}

}  // namespace
}  // namespace codalume
