#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <vector>

#include "app/popover.h"
#include "app/status_bar_controller.h"
#include "fake_hooks.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

using testing::FakeHotkeyBackend;
using testing::FakeMouseBackend;

constexpr unsigned superShift = SuperModifier | ShiftModifier;

// A tray controller on fake system hooks, with a fresh HOME and the scripted platform.
class StatusBarTrayTest : public ::testing::Test {
  protected:
    testing::TempHome home;
    testing::ScriptedPlatform platform;
    FakeHotkeyBackend::Log keys;
    FakeMouseBackend::Log mouse;
    Popover popover;
    std::unique_ptr<StatusBarController> controller;

    void SetUp() override {
        ::testing::internal::CaptureStdout();
        StatusBarHooks hooks;
        hooks.hotkey = std::make_unique<FakeHotkeyBackend>(keys, true);
        hooks.mouse = std::make_unique<FakeMouseBackend>(mouse, true);
        controller = std::make_unique<StatusBarController>(platform, &popover, std::move(hooks));
        startupOutput = ::testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        if (controller && controller->menu() != nullptr) {
            controller->menu()->hide();
        }
        ::testing::internal::CaptureStdout();
        controller.reset();
        ::testing::internal::GetCapturedStdout();
    }

    QStringList alertMessages() const {
        QStringList messages;
        for (const auto &record : platform.alerts) {
            messages << record.alert.messageText;
        }
        return messages;
    }

    std::string startupOutput;
};

TEST_F(StatusBarTrayTest, StartsTheShortcutAndBuildsTheMenu) {
    EXPECT_EQ(startupOutput, "Global hotkey monitor initialized\n");
    ASSERT_NE(controller->statusItem(), nullptr);
    EXPECT_FALSE(controller->statusItem()->icon().isNull());
    ASSERT_NE(controller->menu(), nullptr);
    EXPECT_EQ(controller->statusItem()->contextMenu(), controller->menu());

    QStringList titles;
    for (QAction *action : controller->menu()->actions()) {
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("获取剪贴板 (Super+Shift+C)"), QStringLiteral("设置"),
                           QStringLiteral("-"), QStringLiteral("退出")}));
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(mouse.starts, 0);  // the outside-click monitor waits for the popover
}

TEST_F(StatusBarTrayTest, ClicksToggleThePopoverOrOpenTheMenu) {
    struct Case {
        const char *name;
        bool shownBefore;
        Qt::KeyboardModifiers held;
        bool shownAfter;
        bool menuOpen;
    };
    const std::vector<Case> cases = {
        {"plain click opens", false, Qt::NoModifier, true, false},
        {"plain click closes", true, Qt::NoModifier, false, false},
        {"shift does not count", false, Qt::ShiftModifier, true, false},
        {"ctrl opens the menu", false, Qt::ControlModifier, false, true},
        {"alt opens the menu over the popover", true, Qt::AltModifier, true, true},
        {"ctrl+alt opens the menu", true, Qt::ControlModifier | Qt::AltModifier, true, true},
    };
    for (const Case &c : cases) {
        controller->closePopover();
        controller->menu()->hide();
        if (c.shownBefore) {
            controller->showPopover();
        }
        controller->handleStatusItemClick(c.held);
        EXPECT_EQ(popover.isShown(), c.shownAfter) << c.name;
        EXPECT_EQ(controller->menu()->isVisible(), c.menuOpen) << c.name;
        // The outside-click monitor runs exactly while the popover is shown.
        EXPECT_EQ(mouse.active, c.shownAfter ? 1 : 0) << c.name;
    }
}

TEST_F(StatusBarTrayTest, OutsideClicksCloseThePopover) {
    struct Case {
        const char *name;
        int button;
        bool closes;
    };
    const std::vector<Case> cases = {
        {"left", 1, true},
        {"right", 3, true},
        {"middle", 2, false},
        {"wheel", 4, false},
    };
    for (const Case &c : cases) {
        controller->showPopover();
        ASSERT_TRUE(mouse.sink) << c.name;
        mouse.sink(c.button);
        EXPECT_EQ(popover.isShown(), !c.closes) << c.name;
        EXPECT_EQ(mouse.active, c.closes ? 0 : 1) << c.name;
        controller->closePopover();
    }
}

TEST_F(StatusBarTrayTest, PopoverClosedByItselfStopsTheMonitor) {
    controller->showPopover();
    EXPECT_EQ(mouse.active, 1);
    popover.performClose();  // Escape or the close button of its content
    EXPECT_EQ(mouse.active, 0);
    controller->togglePopover();
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(mouse.active, 1);
}

TEST_F(StatusBarTrayTest, ShortcutAndMenuRunTheCapture) {
    // An empty clipboard: the capture answers with its warning, which shows that it ran.
    const QString nothing = QStringLiteral("无法识别的剪贴板内容");
    controller->showPopover();
    ASSERT_TRUE(keys.sink);
    EXPECT_TRUE(keys.sink({true, FakeHotkeyBackend::keyC, superShift, 100}));
    EXPECT_TRUE(platform.alerts.empty());  // not inside the hook
    QCoreApplication::processEvents();
    EXPECT_EQ(alertMessages(), QStringList{nothing});
    EXPECT_FALSE(popover.isShown());  // it gave way to the capture's dialogs

    controller->menu()->actions().at(0)->trigger();
    EXPECT_EQ(alertMessages(), (QStringList{nothing, nothing}));
}

TEST_F(StatusBarTrayTest, SettingsEntryOpensTheSettingsOnTheLivePreferences) {
    controller->userPreferences.fontSize = 23;
    platform.answerNext(firstButtonReturn + 1);  // cancel the settings dialog
    controller->menu()->actions().at(1)->trigger();
    ASSERT_EQ(platform.alerts.size(), 1u);
    EXPECT_TRUE(platform.alerts[0].hadAccessoryWidget);
    EXPECT_EQ(controller->userPreferences.fontSize, 23);
}

TEST(StatusBarTrayLifetimeTest, ReleasedControllerStopsItsHooksAndOutlivesNoPopover) {
    testing::TempHome home;
    testing::ScriptedPlatform platform;
    FakeHotkeyBackend::Log keys;
    FakeMouseBackend::Log mouse;
    auto popover = std::make_unique<Popover>();
    ::testing::internal::CaptureStdout();
    {
        StatusBarHooks hooks;
        hooks.hotkey = std::make_unique<FakeHotkeyBackend>(keys, true);
        hooks.mouse = std::make_unique<FakeMouseBackend>(mouse, true);
        StatusBarController controller(platform, popover.get(), std::move(hooks));
        controller.showPopover();
        // The press is queued when the controller goes away: nothing may run afterwards.
        keys.sink({true, FakeHotkeyBackend::keyC, superShift, 100});
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(platform.alerts.empty());
    EXPECT_EQ(keys.uninstalls, 1);
    EXPECT_EQ(mouse.active, 0);
    popover->performClose();  // its closed signal finds no controller
    popover.reset();
}

}  // namespace
}  // namespace codalume
