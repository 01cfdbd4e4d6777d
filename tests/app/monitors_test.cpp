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

KeyEvent press(uint32_t time, unsigned modifiers = superShift, int keycode = keyC) {
    return {true, keycode, modifiers, time};
}
KeyEvent release(uint32_t time) {
    return {false, keyC, superShift, time};
}

// The trace lines users and the end-to-end tests read; the hook is always stopped twice.
TEST(GlobalHotkeyMonitorTest, TraceLinesOfStartAndStop) {
    const std::string started =
        "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n";
    const std::string refused = "Failed to create event tap\n";
    struct Row {
        const char *name;
        int hook;    // 0 none (the default, which must not touch X11), 1 answers at once, 2 later
        int answer;  // 1 granted, 0 refused, -1 stopped before the answer
        std::string expected;
    };
    const Row rows[] = {{"granted", 1, 1, started},       {"refused", 1, 0, refused},
                        {"granted later", 2, 1, started}, {"refused later", 2, 0, refused},
                        {"stopped first", 2, -1, ""},     {"no hook: refused", 0, 0, refused}};
    for (const Row &row : rows) {
        FakeHotkeyBackend::Log log;
        bool monitoring = false;
        ::testing::internal::CaptureStdout();
        {
            auto hook = std::make_unique<FakeHotkeyBackend>(log, row.answer == 1, row.hook == 2);
            GlobalHotkeyMonitor monitor([] {}, row.hook == 0 ? nullptr : std::move(hook));
            if (row.hook == 2 && row.answer >= 0) {
                log.answer(row.answer == 1);
            }
            monitoring = monitor.isMonitoring();
            monitor.stopMonitoring();
            monitor.stopMonitoring();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.expected) << row.name;
        EXPECT_EQ(monitoring, row.answer == 1) << row.name;
        EXPECT_EQ(log.uninstalls, row.hook != 0 && row.answer != 0 ? 1 : 0) << row.name;
    }
}

TEST(GlobalHotkeyMonitorTest, TheShortcutIsSwallowedAndCapturesOncePerPress) {
    struct Row {
        const char *name;
        std::vector<KeyEvent> events;
        std::string swallowed;  // y or n per event
        int captures;
    };
    // clang-format off
    const Row rows[] = {
        {"super+shift+c", {press(10)}, "y", 1},
        {"extra modifiers", {press(10, superShift | AltModifier | ControlModifier | LockModifier)},
         "y", 1},
        {"shift+c", {press(10, ShiftModifier)}, "n", 0},
        {"another key", {press(10, superShift, keyC + 1)}, "n", 0},
        {"no key code", {press(10, superShift, -1)}, "n", 0},
        {"a release alone", {release(10)}, "n", 0},
        {"repeats without releases", {press(100), press(600), press(633)}, "yyy", 1},
        {"repeats as release/press pairs",
         {press(100), release(600), press(600), release(633), press(633)}, "yyyyy", 1},
        {"two presses", {press(100), release(200), press(900), release(950)}, "yyyy", 2},
        {"a lost release", {press(100), press(5000)}, "yy", 2},
    };
    // clang-format on
    for (const Row &row : rows) {
        FakeHotkeyBackend::Log log;
        int captures = 0;
        std::string swallowed;
        {
            GlobalHotkeyMonitor monitor([&captures] { ++captures; },
                                        std::make_unique<FakeHotkeyBackend>(log, true));
            for (const KeyEvent &event : row.events) {
                const int before = captures;
                swallowed += monitor.handleKeyEvent(event) ? 'y' : 'n';
                EXPECT_EQ(captures, before) << row.name << ": inside the hook";
                QCoreApplication::processEvents();
            }
        }
        EXPECT_EQ(swallowed, row.swallowed) << row.name;
        EXPECT_EQ(captures, row.captures) << row.name;
    }
}

// A capture's dialog runs a nested loop: presses then are swallowed and start nothing.
TEST(GlobalHotkeyMonitorTest, PressesWhileACaptureRunsAreIgnored) {
    FakeHotkeyBackend::Log log;
    int captures = 0;
    GlobalHotkeyMonitor *self = nullptr;
    GlobalHotkeyMonitor monitor(
        [&] {
            if (++captures == 1) {
                EXPECT_TRUE(self->handleKeyEvent(release(1100)));
                EXPECT_TRUE(self->handleKeyEvent(press(2100)));
                QCoreApplication::processEvents();
                EXPECT_EQ(captures, 1) << "a second capture inside the first";
            }
        },
        std::make_unique<FakeHotkeyBackend>(log, true));
    self = &monitor;
    monitor.handleKeyEvent(press(100));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(captures, 1);

    monitor.handleKeyEvent(release(2200));  // once it has returned, the next press works
    monitor.handleKeyEvent(press(4000));
    QCoreApplication::processEvents();
    EXPECT_EQ(captures, 2);
}

}  // namespace
}  // namespace codalume
