#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>

#include "app/app_delegate.h"
#include "app/popover.h"
#include "fake_hooks.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "views/content_view.h"
#include "views/permission_helper.h"

namespace codalume {
namespace {

using testing::FakeHotkeyBackend;
using testing::FakeMouseBackend;

struct Hooks {
    FakeHotkeyBackend::Log keys;
    FakeMouseBackend::Log mouse;
    StatusBarHooks make() {
        return {std::make_unique<FakeHotkeyBackend>(keys, true),
                std::make_unique<FakeMouseBackend>(mouse), nullptr};
    }
};

// Faults: start at login left as it was instead of following the file, the first-start check
// not scheduled, the popover's capture button or its recent list not wired to the controller.
TEST(AppDelegateTest, StartUpFollowsTheFileAndWiresThePopover) {
    for (const bool laterStart : {false, true}) {
        SCOPED_TRACE(laterStart ? "later start" : "first start");
        testing::TempHome home;
        testing::ScriptedPlatform platform;
        platform.defaults[PermissionHelper::promptedKey] = laterStart;
        UserPreferences preferences;
        preferences.startAtLogin = laterStart;
        ASSERT_TRUE(savePreferences(preferences));
        configureLaunchAtLogin(!laterStart);  // left from an earlier start
        Hooks hooks;                          // outlives the delegate, whose hooks write to it
        AppDelegate delegate(platform);
        delegate.applicationDidFinishLaunching(hooks.make());

        EXPECT_EQ(platform.pendingTasks.size(), laterStart ? 0u : 1u);
        EXPECT_EQ(QFile::exists(autostartEntryPath()), laterStart);
        auto *content = qobject_cast<ContentView *>(delegate.popover()->contentWidget());
        platform.text = QStringLiteral("func f() {}");
        for (QPushButton *button : content->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("获取剪贴板")) {
                button->click();
            }
        }
        ASSERT_EQ(content->recentImages()->images().size(), 1);
        EXPECT_EQ(content->recentImages()->images()[0].language, QStringLiteral("Swift"));
    }
}

// A tray controller on fake system hooks, with a fresh HOME and the scripted platform.
class TrayTest : public ::testing::Test {
  protected:
    testing::TempHome home;
    testing::ScriptedPlatform platform;
    Hooks hooks;
    Popover popover;
    std::unique_ptr<StatusBarController> controller;

    void SetUp() override {
        controller = std::make_unique<StatusBarController>(platform, &popover, hooks.make());
    }
};

// The outside-click monitor runs exactly while the popover is shown.
TEST_F(TrayTest, ClicksOnTheIconAndOutsideOpenAndCloseThePopoverAndTheMenu) {
    struct Row {
        const char *name;
        bool shownBefore;
        Qt::KeyboardModifiers held;
        int outsideButton;  // 0: a click on the icon with `held`
        bool shownAfter;
        bool menuOpen;
    };
    // clang-format off
    const Row rows[] = {
        {"plain click closes", true, Qt::NoModifier, 0, false, false},
        {"shift does not count", false, Qt::ShiftModifier, 0, true, false},
        {"alt opens the menu over the popover", true, Qt::AltModifier, 0, true, true},
        {"a right press outside closes", true, Qt::NoModifier, 3, false, false},
        {"a middle press outside does not", true, Qt::NoModifier, 2, true, false},
        {"the wheel outside does not", true, Qt::NoModifier, 4, true, false},
    };
    // clang-format on
    for (const Row &row : rows) {
        controller->closePopover();
        controller->menu()->hide();
        if (row.shownBefore) {
            controller->showPopover();
        }
        if (row.outsideButton != 0) {
            hooks.mouse.sink(row.outsideButton);
        } else {
            controller->handleStatusItemClick(row.held);
        }
        EXPECT_EQ(popover.isShown(), row.shownAfter) << row.name;
        EXPECT_EQ(controller->menu()->isVisible(), row.menuOpen) << row.name;
        EXPECT_EQ(hooks.mouse.active, row.shownAfter ? 1 : 0) << row.name;
    }
    controller->menu()->hide();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&popover, &escape);
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(hooks.mouse.active, 0) << "closed by Escape";
}

TEST_F(TrayTest, APressQueuedWhenTheControllerGoesRunsNothing) {
    controller->showPopover();
    controller->showPopover();  // as a second start does
    EXPECT_EQ(hooks.mouse.active, 1) << "one outside-click registration at most";
    hooks.keys.sink({true, FakeHotkeyBackend::keyC, SuperModifier | ShiftModifier, 100});
    controller.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(platform.alerts.empty());
    EXPECT_EQ(hooks.keys.uninstalls, 1);
    EXPECT_EQ(hooks.mouse.active, 0);
    popover.performClose();  // its closed signal finds no controller
}

TEST(PopoverTest, AboveAnIconInABottomPanelAndOnScreen) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(popoverPosition(QRect(1000, 746, 20, 20), QSize(300, 400), screen, QPoint()),
              QPoint(724, 342));
}

}  // namespace
}  // namespace codalume
