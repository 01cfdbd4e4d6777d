#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QToolButton>
#include <vector>

#include "app/app_delegate.h"
#include "fake_hooks.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "views/content_view.h"
#include "views/permission_helper.h"
#include "views/recent_image.h"

namespace codalume {
namespace {

using testing::FakeHotkeyBackend;
using testing::FakeMouseBackend;

struct Launch {
    FakeHotkeyBackend::Log keys;
    FakeMouseBackend::Log mouse;
    std::string output;

    void run(AppDelegate &delegate) {
        StatusBarHooks hooks;
        hooks.hotkey = std::make_unique<FakeHotkeyBackend>(keys, true);
        hooks.mouse = std::make_unique<FakeMouseBackend>(mouse, true);
        ::testing::internal::CaptureStdout();
        delegate.applicationDidFinishLaunching(std::move(hooks));
        output = ::testing::internal::GetCapturedStdout();
    }
};

// The controller's hotkey monitor says goodbye on destruction; keep it out of the test log.
void destroyQuietly(std::unique_ptr<AppDelegate> &delegate) {
    ::testing::internal::CaptureStdout();
    delegate.reset();
    ::testing::internal::GetCapturedStdout();
}

TEST(AppDelegateTest, StartUpSequence) {
    struct Case {
        const char *name;
        bool prompted;           // not the first start
        bool startAtLogin;       // in the preferences file
        bool leftoverAutostart;  // an entry from an earlier start
    };
    const std::vector<Case> cases = {
        {"first start", false, false, false},
        {"later start with start at login", true, true, false},
        {"start at login switched off by hand", true, false, true},
    };
    for (const Case &c : cases) {
        testing::TempHome home;
        testing::ScriptedPlatform platform;
        platform.defaults[PermissionHelper::promptedKey] = c.prompted;
        UserPreferences preferences;
        preferences.startAtLogin = c.startAtLogin;
        preferences.fontSize = 19;
        ASSERT_TRUE(savePreferences(preferences)) << c.name;
        if (c.leftoverAutostart) {
            configureLaunchAtLogin(true);
            ASSERT_TRUE(QFile::exists(autostartEntryPath())) << c.name;
        }

        auto delegate = std::make_unique<AppDelegate>(platform);
        EXPECT_EQ(delegate->statusBarController(), nullptr) << c.name;
        Launch launch;
        launch.run(*delegate);

        // First-start prompt: flag set at once, the check scheduled for later.
        EXPECT_TRUE(platform.defaults.value(PermissionHelper::promptedKey)) << c.name;
        EXPECT_EQ(platform.pendingTasks.size(), c.prompted ? 0u : 1u) << c.name;
        if (!c.prompted && !platform.pendingTasks.empty()) {
            EXPECT_EQ(platform.pendingTasks[0].delay, std::chrono::milliseconds(1000));
        }
        EXPECT_TRUE(platform.alerts.empty()) << c.name;

        // The popover holds the content view, the controller the preferences from the file.
        ASSERT_NE(delegate->popover(), nullptr);
        EXPECT_NE(qobject_cast<ContentView *>(delegate->popover()->contentWidget()), nullptr);
        EXPECT_EQ(delegate->popover()->size(), QSize(300, 400));
        EXPECT_FALSE(delegate->popover()->isShown()) << c.name;
        ASSERT_NE(delegate->statusBarController(), nullptr) << c.name;
        EXPECT_EQ(delegate->statusBarController()->userPreferences, preferences) << c.name;
        EXPECT_EQ(delegate->statusBarController()->popover(), delegate->popover());
        EXPECT_EQ(launch.output, "Global hotkey monitor initialized\n") << c.name;

        // Start at login follows the file at every start.
        EXPECT_EQ(QFile::exists(autostartEntryPath()), c.startAtLogin) << c.name;
        destroyQuietly(delegate);
    }
}

TEST(AppDelegateTest, PopoverCloseButtonAndCaptureButton) {
    testing::TempHome home;
    testing::ScriptedPlatform platform;
    platform.defaults[PermissionHelper::promptedKey] = true;
    auto delegate = std::make_unique<AppDelegate>(platform);
    Launch launch;
    launch.run(*delegate);
    StatusBarController *controller = delegate->statusBarController();
    auto *content = qobject_cast<ContentView *>(delegate->popover()->contentWidget());
    ASSERT_NE(content, nullptr);

    controller->showPopover();
    ASSERT_TRUE(delegate->popover()->isShown());
    content->closeButton()->click();
    EXPECT_FALSE(delegate->popover()->isShown());
    EXPECT_EQ(launch.mouse.active, 0);

    // The page's capture button runs the controller's capture; the popover gives way.
    controller->showPopover();
    QPushButton *capture = nullptr;
    for (QPushButton *button : content->findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("获取剪贴板")) {
            capture = button;
        }
    }
    ASSERT_NE(capture, nullptr);
    capture->click();
    ASSERT_EQ(platform.alerts.size(), 1u);
    EXPECT_EQ(platform.alerts[0].alert.messageText, QStringLiteral("无法识别的剪贴板内容"));
    EXPECT_FALSE(delegate->popover()->isShown());

    // What the controller saves reaches the page's list.
    platform.text = QStringLiteral("func f() {}");
    ::testing::internal::CaptureStdout();
    capture->click();
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(content->recentImages()->images().size(), 1);
    EXPECT_EQ(content->recentImages()->images()[0].language, QStringLiteral("Swift"));
    destroyQuietly(delegate);
}

}  // namespace
}  // namespace codalume
