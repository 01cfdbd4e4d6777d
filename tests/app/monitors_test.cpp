#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
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
        bool later;  // the hook answers later, as a desktop portal does
        int answer;  // 1 granted, 0 refused, -1 stopped before the answer
        std::string expected;
    };
    const Row rows[] = {{"granted", false, 1, started},
                        {"refused", false, 0, refused},
                        {"granted later", true, 1, started},
                        {"refused later", true, 0, refused},
                        {"stopped first", true, -1, ""}};
    for (const Row &row : rows) {
        FakeHotkeyBackend::Log log;
        bool monitoring = false;
        ::testing::internal::CaptureStdout();
        {
            GlobalHotkeyMonitor monitor(
                [] {}, std::make_unique<FakeHotkeyBackend>(log, row.answer == 1, row.later));
            if (row.later && row.answer >= 0) {
                log.answer(row.answer == 1);
            }
            monitoring = monitor.isMonitoring();
            monitor.stopMonitoring();
            monitor.stopMonitoring();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.expected) << row.name;
        EXPECT_EQ(monitoring, row.answer == 1) << row.name;
        EXPECT_EQ(log.uninstalls, row.answer != 0 ? 1 : 0) << row.name;
    }
}

// Events during a capture come while its dialog runs a nested loop: they are swallowed and
// start nothing.
TEST(GlobalHotkeyMonitorTest, TheShortcutIsSwallowedAndCapturesOncePerPress) {
    struct Row {
        const char *name;
        std::vector<KeyEvent> events, duringTheFirstCapture;
        std::string swallowed;  // y or n per event, in the order they come
        int captures;
    };
    // clang-format off
    const Row rows[] = {
        {"super+shift+c", {press(10)}, {}, "y", 1},
        {"extra modifiers", {press(10, superShift | AltModifier | ControlModifier | LockModifier)},
         {}, "y", 1},
        {"shift+c", {press(10, ShiftModifier)}, {}, "n", 0},
        {"another key", {press(10, superShift, keyC + 1)}, {}, "n", 0},
        {"no key code", {press(10, superShift, -1)}, {}, "n", 0},
        {"a release alone", {release(10)}, {}, "n", 0},
        {"repeats without releases", {press(100), press(600), press(633)}, {}, "yyy", 1},
        {"repeats as release/press pairs",
         {press(100), release(600), press(600), release(633), press(633)}, {}, "yyyyy", 1},
        {"two presses", {press(100), release(200), press(900), release(950)}, {}, "yyyy", 2},
        {"a lost release", {press(100), press(5000)}, {}, "yy", 2},
        {"a press while a capture runs starts another", {press(100), release(2200), press(4000)},
         {release(1100), press(2100)}, "yyyyy", 2},
    };
    // clang-format on
    for (const Row &row : rows) {
        FakeHotkeyBackend::Log log;
        int captures = 0;
        std::string swallowed;
        GlobalHotkeyMonitor *self = nullptr;
        const auto feed = [&](const KeyEvent &event) {
            const int before = captures;
            swallowed += self->handleKeyEvent(event) ? 'y' : 'n';
            EXPECT_EQ(captures, before) << row.name << ": inside the hook";
            QCoreApplication::processEvents();
        };
        {
            GlobalHotkeyMonitor monitor(
                [&] {
                    if (++captures == 1) {
                        std::for_each(row.duringTheFirstCapture.begin(),
                                      row.duringTheFirstCapture.end(), feed);
                    }
                },
                std::make_unique<FakeHotkeyBackend>(log, true));
            self = &monitor;
            std::for_each(row.events.begin(), row.events.end(), feed);
        }
        EXPECT_EQ(swallowed, row.swallowed) << row.name;
        EXPECT_EQ(captures, row.captures) << row.name;
    }
}

}  // namespace
}  // namespace codalume
