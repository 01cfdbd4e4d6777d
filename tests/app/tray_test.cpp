// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/global_hotkey_monitor.h"
#include "app/popover.h"
#include "settings/interface_language.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "views/content_view.h"
#include "views/permission_helper.h"
#include "views/recent_images_view.h"

namespace codalume {
namespace {

// What the fake system hooks were given; it outlives them.
struct Hooks {
    HotkeyBackend::Sink keys = nullptr;
    // Kept when the hook answers later, as a desktop portal does.
    HotkeyBackend::Result answer = nullptr;
    bool accept = true, answerLater = false;  // how the hook answers its installation
    int uninstalls = 0;
    MouseBackend::Sink mouse = nullptr;
    int mouseActive = 0;  // outside-click registrations alive
};

// A keyboard hook the test drives by hand.
class FakeHotkeyBackend : public HotkeyBackend {
  public:
    explicit FakeHotkeyBackend(Hooks &hooks) : hooks_(hooks) {}
    void install(Sink sink, Result result) override {
        hooks_.keys = hooks_.accept ? std::move(sink) : nullptr;
        hooks_.answerLater ? void(hooks_.answer = std::move(result)) : result(hooks_.accept);
    }
    void uninstall() override {
        ++hooks_.uninstalls;
        hooks_.keys = nullptr;
    }

  private:
    Hooks &hooks_;
};

// A mouse observer the test drives by hand.
class FakeMouseBackend : public MouseBackend {
  public:
    explicit FakeMouseBackend(Hooks &hooks) : hooks_(hooks) {}
    bool start(Sink sink) override {
        ++hooks_.mouseActive;
        hooks_.mouse = std::move(sink);
        return true;
    }
    void stop() override {
        --hooks_.mouseActive;
        hooks_.mouse = nullptr;
    }

  private:
    Hooks &hooks_;
};

StatusBarHooks fakeHooks(Hooks &hooks) {
    return {std::make_unique<FakeHotkeyBackend>(hooks), std::make_unique<FakeMouseBackend>(hooks),
            nullptr};
}

constexpr auto press = [](uint32_t time) { return ShortcutEvent{true, time}; };
constexpr auto release = [](uint32_t time) { return ShortcutEvent{false, time}; };

// The trace lines users and the end-to-end tests read (the monitor is always stopped twice),
// and which reports of the shortcut capture. Reports during a capture come while its dialog
// runs a nested loop: they start nothing.
TEST(GlobalHotkeyMonitorTest, TracesItsStartAndStopAndCapturesOncePerPress) {
    struct Row {
        const char *name;
        std::vector<ShortcutEvent> events, duringTheFirstCapture;
        int captures, answer = 1;  // answer: 1 granted, 0 refused, -1 stopped before it
        bool later = false;
        std::string trace = "Global hotkey monitor initialized\nGlobal hotkey monitor stopped\n";
    };
    // clang-format off
    const Row rows[] = {
        {"a press", {press(10)}, {}, 1},
        {"a release alone", {release(10)}, {}, 0},
        {"repeats without releases", {press(100), press(600), press(633)}, {}, 1},
        {"repeats as release/press pairs",
         {press(100), release(600), press(600), release(633), press(633)}, {}, 1},
        {"two presses", {press(100), release(200), press(900), release(950)}, {}, 2},
        {"a lost release", {press(100), press(5000)}, {}, 2},
        {"a press while a capture runs starts another", {press(100), release(2200), press(4000)},
         {release(1100), press(2100)}, 2},
        {"refused", {}, {}, 0, 0, false, "Failed to create event tap\n"},
        {"granted later", {press(10)}, {}, 1, 1, true},
        {"refused later", {}, {}, 0, 0, true, "Failed to create event tap\n"},
        {"stopped before the answer", {}, {}, 0, -1, true, ""},
    };
    // clang-format on
    for (const Row &row : rows) {
        Hooks hooks{.accept = row.answer == 1, .answerLater = row.later};
        int captures = 0;
        const auto feed = [&](const ShortcutEvent &event) {
            const int before = captures;
            hooks.keys(event);
            EXPECT_EQ(captures, before) << row.name << ": inside the hook";
            QCoreApplication::processEvents();
        };
        ::testing::internal::CaptureStdout();
        GlobalHotkeyMonitor monitor(
            [&] {
                if (++captures == 1) {
                    std::for_each(row.duringTheFirstCapture.begin(),
                                  row.duringTheFirstCapture.end(), feed);
                }
            },
            std::make_unique<FakeHotkeyBackend>(hooks));
        if (row.later && row.answer >= 0) {
            hooks.answer(row.answer == 1);
        }
        EXPECT_EQ(monitor.isMonitoring(), row.answer == 1) << row.name;
        std::for_each(row.events.begin(), row.events.end(), feed);
        monitor.stopMonitoring();
        monitor.stopMonitoring();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.trace) << row.name;
        EXPECT_EQ(hooks.uninstalls, row.answer != 0 ? 1 : 0) << row.name;
        EXPECT_EQ(captures, row.captures) << row.name;
    }
}

// Faults: start at login left as it was instead of following the file, a killed save's
// temporary file kept, the first-start check not scheduled, the popover's capture button or its
// recent list not wired to the controller; a new interface language leaving the menu or the
// popover in the old one, or losing the recent list with the old pages.
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
        QFile leftover(home.file("Downloads/.codalume-Kill01"));  // from a save that was killed
        ASSERT_TRUE(QDir(home.path()).mkdir("Downloads") && leftover.open(QIODevice::WriteOnly));
        Hooks hooks;  // outlives the delegate, whose hooks write to it
        AppDelegate delegate(platform);
        delegate.applicationDidFinishLaunching(fakeHooks(hooks));

        EXPECT_FALSE(leftover.exists());
        EXPECT_EQ(platform.pendingTasks.size(), laterStart ? 0u : 1u);
        EXPECT_EQ(QFile::exists(autostartEntryPath()), laterStart);
        auto *content = qobject_cast<ContentView *>(delegate.popover()->contentWidget());
        platform.text = QStringLiteral("func f() {}");
        content->recentImagesView()->captureButton()->click();
        ASSERT_EQ(content->recentImages()->images().size(), 1);
        EXPECT_EQ(content->recentImages()->images()[0].language, QStringLiteral("Swift"));

        platform.answerNext([](const Alert &alert) {
            alert.accessoryWidget->findChild<QComboBox *>("interfaceLanguagePopup")
                ->setCurrentIndex(2);  // English
            return firstButtonReturn;
        });
        delegate.statusBarController()->showSettings();
        auto *english = qobject_cast<ContentView *>(delegate.popover()->contentWidget());
        EXPECT_EQ(english->tabs()->tabText(0), QStringLiteral("Recent"));
        EXPECT_EQ(english->recentImagesView()->list()->count(), 1);
        EXPECT_EQ(delegate.statusBarController()->menu()->actions().value(0)->text(),
                  QStringLiteral("Open Codalume"));
        useInterfaceLanguage(InterfaceLanguage::Chinese);
    }
}

// The outside-click monitor runs exactly while the popover is shown; a press queued when the
// controller goes runs nothing.
TEST(TrayTest, ClicksOpenAndCloseThePopoverAndTheMenuAndAGoneControllerRunsNothing) {
    testing::TempHome home;
    testing::ScriptedPlatform platform;
    Hooks hooks;
    Popover popover;
    auto controller = std::make_unique<StatusBarController>(platform, &popover, fakeHooks(hooks));
    struct Row {
        const char *name;
        bool shownBefore;
        Qt::KeyboardModifiers held;
        int outsideButton;  // 0: a click on the icon with `held`
        bool shownAfter, menuOpen;
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
            hooks.mouse(row.outsideButton);
        } else {
            controller->handleStatusItemClick(row.held);
        }
        EXPECT_EQ(popover.isShown(), row.shownAfter) << row.name;
        EXPECT_EQ(controller->menu()->isVisible(), row.menuOpen) << row.name;
        EXPECT_EQ(hooks.mouseActive, row.shownAfter ? 1 : 0) << row.name;
    }
    controller->menu()->hide();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&popover, &escape);
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(hooks.mouseActive, 0) << "closed by Escape";

    controller->showPopover();
    controller->showPopover();  // as a second start does
    EXPECT_EQ(hooks.mouseActive, 1) << "one outside-click registration at most";
    hooks.keys(press(100));
    controller.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(platform.alerts.empty());
    EXPECT_EQ(hooks.uninstalls, 1);
    EXPECT_EQ(hooks.mouseActive, 0);
    popover.performClose();  // its closed signal finds no controller
}

// Text cut off: a wrapped line given one line's height, the last tab or a page's text beyond
// the popover at a larger font, the date of a recent entry made before the popover first
// showed pushed out of its row.
TEST(PopoverTest, EveryTextGetsTheRoomItNeedsAtAnyFontSize) {
    testing::ScriptedPlatform platform;
    const QFont standard = QApplication::font();
    for (const int points : {9, 12}) {
        QApplication::setFont(QFont(standard.family(), points));
        Popover popover;
        auto *content = new ContentView(platform, {});
        popover.setContentWidget(content);
        content->recentImages()->addSaved("/absent/code_image_1796619788.png", "JavaScript",
                                          QDateTime::currentDateTime());
        popover.showCentred();
        EXPECT_GE(content->tabs()->tabBar()->width(),
                  content->tabs()->tabBar()->sizeHint().width());
        for (int tab = 0; tab < 3; ++tab) {  // the help page's text, not its scrolled view
            content->setSelectedTab(tab);
            QCoreApplication::processEvents();
            const QWidget *area =
                tab == 1 ? content->findChild<QWidget *>("helpPage") : content->tabs()->widget(tab);
            for (const QLabel *label : area->findChildren<QLabel *>()) {
                const QRect box(label->mapTo(area, QPoint()), label->size());
                const int height = label->wordWrap() ? label->heightForWidth(label->width())
                                                     : label->minimumSizeHint().height();
                EXPECT_TRUE(!label->isVisible() ||
                            (area->rect().contains(box) &&
                             label->width() >= label->minimumSizeHint().width() &&
                             label->height() >= height))
                    << points << " pt: " << label->text().toStdString();
            }
        }
    }
    QApplication::setFont(standard);
}

TEST(PopoverTest, AboveAnIconInABottomPanelAndOnScreen) {
    const QRect screen(0, 0, 1024, 768), icon(1000, 746, 20, 20);
    EXPECT_EQ(popoverPosition(icon, QSize(300, 400), screen, QPoint()), QPoint(724, 342));
}

}  // namespace
}  // namespace codalume
