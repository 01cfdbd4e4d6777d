#include "views/help_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "view_test_support.h"

namespace codalume {
namespace {

using testing::ScriptedPlatform;
using testing::TempHome;

const QStringList pageTexts = {
    "使用说明",
    "1. 获取剪贴板",
    "点击状态栏图标，选择'获取剪贴板'选项，或使用⌘⇧C快捷键。",
    "2. 设置",
    "自定义图片生成选项和作者信息。",
    "3. 支持多种编程语言",
    "包括Swift、Python、JavaScript等。",
    "快捷键",
    "⌘⇧C",
    "- 全局快捷键，随时获取剪贴板内容",
    "权限检查",
    "应用需要完全磁盘访问权限才能保存图片。",
    "检查权限设置",
};

// A help page whose probes fail or pass on demand: the temporary folder is a regular file or
// a real folder, Downloads does not exist, and the listed system folder is absent.
class HelpViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApplication();
        testing::makeFile(home.file("tmpfile"));
        view = std::make_unique<HelpView>(platform);
        view->setSystemDirectory(home.file("absent"));
        view->resize(276, 320);
        view->show();
        QApplication::processEvents();
    }

    void setProbesPass(bool pass) {
        qputenv("TMPDIR", (pass ? home.tmp() : home.file("tmpfile")).toUtf8());
    }

    void check() {
        ::testing::internal::CaptureStdout();
        view->checkButton()->click();
        ::testing::internal::GetCapturedStdout();
        QApplication::processEvents();
    }

    QColor statusColor() const {
        return view->statusLabel()->palette().color(QPalette::WindowText);
    }

    TempHome home;
    ScriptedPlatform platform;
    std::unique_ptr<HelpView> view;
};

TEST_F(HelpViewTest, ShowsEveryTextInOrderAndNoOutcomeBeforeTheFirstCheck) {
    EXPECT_EQ(testing::visibleTexts(view->widget()), pageTexts);
    EXPECT_TRUE(view->permissionStatus().isEmpty());
    EXPECT_FALSE(view->statusLabel()->isVisible());
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(HelpViewTest, CheckOutcomes) {
    const int first = firstButtonReturn;
    const int second = firstButtonReturn + 1;
    const struct {
        const char *name;
        bool pass;
        std::vector<int> answers;
        QString status;
        bool green;
        QStringList alerts;
        int openedUrls;
    } cases[] = {
        {"Passes", true, {}, HelpView::passedStatus, true, {}, 0},
        {"FailsAndCancelled",
         false,
         {second},
         HelpView::failedStatus,
         false,
         {"权限设置不正确"},
         0},
        {"FailsSettingsCancelled",
         false,
         {first, second},
         HelpView::failedStatus,
         false,
         {"权限设置不正确", "需要完全磁盘访问权限"},
         0},
        {"FailsSettingsOpened",
         false,
         {first, first},
         HelpView::failedStatus,
         false,
         {"权限设置不正确", "需要完全磁盘访问权限"},
         1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        platform.alerts.clear();
        platform.openedUrls.clear();
        setProbesPass(c.pass);
        // The outcome line is already in place when the alert is shown.
        QString statusDuringAlert;
        for (int answer : c.answers) {
            platform.answerNext([this, answer, &statusDuringAlert](const Alert &) {
                if (statusDuringAlert.isEmpty()) {
                    statusDuringAlert = view->statusLabel()->text();
                }
                return answer;
            });
        }
        check();
        EXPECT_EQ(view->permissionStatus(), c.status);
        EXPECT_EQ(view->statusLabel()->text(), c.status);
        EXPECT_TRUE(view->statusLabel()->isVisible());
        const QColor colour = statusColor();
        EXPECT_EQ(colour.green() > colour.red(), c.green) << colour.name().toStdString();
        EXPECT_EQ(testing::alertMessages(platform), c.alerts);
        EXPECT_EQ(platform.openedUrls.size(), c.openedUrls);
        if (!c.pass) {
            EXPECT_EQ(statusDuringAlert, HelpView::failedStatus);
            const Alert &alert = platform.alerts[0].alert;
            EXPECT_EQ(alert.style, AlertStyle::Warning);
            EXPECT_EQ(alert.informativeText, "请前往系统偏好设置授予权限。");
            EXPECT_EQ(alert.buttons, QStringList({"前往设置", "取消"}));
        }
        // The outcome line is the page's last text.
        EXPECT_EQ(testing::visibleTexts(view->widget()).last(), c.status);
    }
}

TEST_F(HelpViewTest, FixingTheProblemTurnsTheLineGreenWithoutAlert) {
    setProbesPass(false);
    platform.answerNext(firstButtonReturn + 1);
    check();
    ASSERT_EQ(view->permissionStatus(), HelpView::failedStatus);
    const QColor red = statusColor();

    setProbesPass(true);
    check();
    EXPECT_EQ(view->permissionStatus(), HelpView::passedStatus);
    EXPECT_NE(statusColor(), red);
    EXPECT_EQ(platform.alerts.size(), 1u);
}

TEST_F(HelpViewTest, ColourFollowsTheCheckMarkInTheStartingText) {
    for (const auto &[text, green] :
         {std::pair{"✅ 权限设置正确！", true}, std::pair{"❌ 权限设置不正确！", false},
          std::pair{"其他 ✅ 文本", true}, std::pair{"其他文本", false}}) {
        HelpView page(platform, QString::fromUtf8(text));
        const QColor colour = page.statusLabel()->palette().color(QPalette::WindowText);
        EXPECT_EQ(page.statusLabel()->text(), QString::fromUtf8(text));
        EXPECT_EQ(colour.green() > colour.red(), green) << text;
    }
}

TEST_F(HelpViewTest, LongTextsWrapInsideThePageAndThePageScrolls) {
    // The popover is shorter than the page: it scrolls instead of squeezing the texts.
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    const int viewport = view->viewport()->width();
    for (QLabel *label : view->widget()->findChildren<QLabel *>()) {
        if (!label->isVisible()) {
            continue;
        }
        const QRect area = label->geometry();
        EXPECT_LE(area.right(), viewport) << label->text().toStdString();
        // Every label is as tall as its text needs at its width.
        if (label->wordWrap()) {
            EXPECT_GE(area.height(), label->heightForWidth(area.width()))
                << label->text().toStdString();
        }
    }
    const auto *longest = view->widget()->findChildren<QLabel *>().at(2);
    ASSERT_EQ(longest->text(), pageTexts[2]);
    EXPECT_GE(longest->height(), 2 * longest->fontMetrics().lineSpacing()) << "it wraps";
}

}  // namespace
}  // namespace codalume
