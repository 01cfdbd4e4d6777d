#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "app/global_hotkey_monitor.h"
#include "fake_hooks.h"

namespace codalume {
namespace {

using testing::FakeHotkeyBackend;

constexpr int keyC = FakeHotkeyBackend::keyC;
constexpr unsigned superShift = SuperModifier | ShiftModifier;

KeyEvent press(unsigned modifiers, uint32_t time, int keycode = keyC) {
    return {true, keycode, modifiers, time};
}
KeyEvent release(uint32_t time, int keycode = keyC) {
    return {false, keycode, superShift, time};
}

void drainEvents() {
    QCoreApplication::processEvents();
}

TEST(GlobalHotkeyMonitorTest, TraceLinesOfStartAndDestruction) {
    struct Case {
        const char *name;
        bool accept;
        bool stopTwice;
        std::string expected;
        int uninstalls;
    };
    const std::vector<Case> cases = {
        {"accepted", true, false,
         "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n", 1},
        {"accepted, stopped twice", true, true,
         "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n", 1},
        {"refused", false, false, "Failed to create event tap\n", 0},
        {"refused, stopped twice", false, true, "Failed to create event tap\n", 0},
    };
    for (const Case &c : cases) {
        FakeHotkeyBackend::Log log;
        ::testing::internal::CaptureStdout();
        {
            GlobalHotkeyMonitor monitor([] {}, std::make_unique<FakeHotkeyBackend>(log, c.accept));
            EXPECT_EQ(monitor.isMonitoring(), c.accept) << c.name;
            if (c.stopTwice) {
                monitor.stopMonitoring();
                monitor.stopMonitoring();
            }
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.expected) << c.name;
        EXPECT_EQ(log.installs, 1) << c.name;
        EXPECT_EQ(log.uninstalls, c.uninstalls) << c.name;
    }
}

// A portal answers after the monitor was made: the trace line waits for the answer, and a
// monitor stopped before it says nothing at all.
TEST(GlobalHotkeyMonitorTest, TraceLinesOfAnAnswerThatComesLater) {
    struct Case {
        const char *name;
        int answer;  // -1: stopped before the answer
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"granted", 1, "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n"},
        {"refused", 0, "Failed to create event tap\n"},
        {"stopped first", -1, ""},
    };
    for (const Case &c : cases) {
        FakeHotkeyBackend::Log log;
        ::testing::internal::CaptureStdout();
        {
            GlobalHotkeyMonitor monitor(
                [] {}, std::make_unique<FakeHotkeyBackend>(log, c.answer == 1, true));
            EXPECT_FALSE(monitor.isMonitoring()) << c.name;
            EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << c.name;
            ::testing::internal::CaptureStdout();
            if (c.answer >= 0) {
                log.answer(c.answer == 1);
                EXPECT_EQ(monitor.isMonitoring(), c.answer == 1) << c.name;
            }
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.expected) << c.name;
        EXPECT_EQ(log.uninstalls, c.answer == 0 ? 0 : 1) << c.name;
    }
}

TEST(GlobalHotkeyMonitorTest, KeyHandlerSwallowsTheShortcutAndRunsTheCallbackOncePerPress) {
    struct Case {
        const char *name;
        std::vector<KeyEvent> events;
        std::vector<bool> swallowed;
        int callbacks;
    };
    const std::vector<Case> cases = {
        {"super+shift+c", {press(superShift, 10)}, {true}, 1},
        {"with alt", {press(superShift | AltModifier, 10)}, {true}, 1},
        {"with ctrl, lock and numlock",
         {press(superShift | ControlModifier | LockModifier | NumLockModifier, 10)},
         {true},
         1},
        {"ctrl+shift+c", {press(ControlModifier | ShiftModifier, 10)}, {false}, 0},
        {"super+c", {press(SuperModifier, 10)}, {false}, 0},
        {"shift+c", {press(ShiftModifier, 10)}, {false}, 0},
        {"another key", {press(superShift, 10, keyC + 1)}, {false}, 0},
        {"negative key code", {press(superShift, 10, -1)}, {false}, 0},
        {"release alone", {release(10)}, {false}, 0},
        {"held: repeats without releases",
         {press(superShift, 100), press(superShift, 600), press(superShift, 633)},
         {true, true, true},
         1},
        {"held: repeats as release/press pairs",
         {press(superShift, 100), release(600), press(superShift, 600), release(633),
          press(superShift, 633)},
         {true, true, true, true, true},
         1},
        {"two separate presses",
         {press(superShift, 100), release(200), press(superShift, 900), release(950)},
         {true, true, true, true},
         2},
        {"a lost release does not kill the shortcut",
         {press(superShift, 100), press(superShift, 5000)},
         {true, true},
         2},
    };
    for (const Case &c : cases) {
        FakeHotkeyBackend::Log log;
        int calls = 0;
        ASSERT_EQ(c.events.size(), c.swallowed.size()) << c.name;
        ::testing::internal::CaptureStdout();
        {
            GlobalHotkeyMonitor monitor([&calls] { ++calls; },
                                        std::make_unique<FakeHotkeyBackend>(log, true));
            for (size_t i = 0; i < c.events.size(); ++i) {
                EXPECT_EQ(monitor.handleKeyEvent(c.events[i]), c.swallowed[i])
                    << c.name << " #" << i;
                drainEvents();
            }
        }
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(calls, c.callbacks) << c.name;
    }
}

TEST(GlobalHotkeyMonitorTest, CallbackRunsFromTheMainLoopNotInsideTheHook) {
    FakeHotkeyBackend::Log log;
    int calls = 0;
    ::testing::internal::CaptureStdout();
    GlobalHotkeyMonitor monitor([&calls] { ++calls; },
                                std::make_unique<FakeHotkeyBackend>(log, true));
    EXPECT_TRUE(monitor.handleKeyEvent(press(superShift, 10)));
    EXPECT_EQ(calls, 0);
    drainEvents();
    EXPECT_EQ(calls, 1);
    ::testing::internal::GetCapturedStdout();
}

TEST(GlobalHotkeyMonitorTest, PressesWhileTheCallbackRunsAreIgnored) {
    FakeHotkeyBackend::Log log;
    int calls = 0;
    GlobalHotkeyMonitor *self = nullptr;
    uint32_t time = 100;
    ::testing::internal::CaptureStdout();
    GlobalHotkeyMonitor monitor(
        [&] {
            ++calls;
            // A dialog's nested loop is running: the user presses the shortcut again.
            time += 1000;
            EXPECT_TRUE(self->handleKeyEvent(release(time)));
            time += 1000;
            EXPECT_TRUE(self->handleKeyEvent(press(superShift, time)));
            drainEvents();
        },
        std::make_unique<FakeHotkeyBackend>(log, true));
    self = &monitor;
    monitor.handleKeyEvent(press(superShift, time));
    drainEvents();
    EXPECT_EQ(calls, 1);
    drainEvents();
    EXPECT_EQ(calls, 1);

    // Once the callback has returned, the next press works again.
    monitor.handleKeyEvent(release(time + 10));
    monitor.handleKeyEvent(press(superShift, time + 2000));
    drainEvents();
    EXPECT_EQ(calls, 2);
    ::testing::internal::GetCapturedStdout();
}

TEST(GlobalHotkeyMonitorTest, QueuedCallbackIsDroppedWithTheMonitor) {
    FakeHotkeyBackend::Log log;
    int calls = 0;
    ::testing::internal::CaptureStdout();
    {
        GlobalHotkeyMonitor monitor([&calls] { ++calls; },
                                    std::make_unique<FakeHotkeyBackend>(log, true));
        monitor.handleKeyEvent(press(superShift, 10));
    }
    drainEvents();
    EXPECT_EQ(calls, 0);
    ::testing::internal::GetCapturedStdout();
}

TEST(GlobalHotkeyMonitorTest, WithoutX11TheDefaultHookRefuses) {
    // Unit tests run on the offscreen platform: X11 must not be touched at all.
    ::testing::internal::CaptureStdout();
    {
        GlobalHotkeyMonitor monitor([] {});
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to create event tap\n");
}

}  // namespace
}  // namespace codalume
