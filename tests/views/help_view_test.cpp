#include "views/help_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "support/temp_home.h"
#include "view_test_support.h"

namespace codalume {
namespace {

// A help page whose probes fail or pass on demand: the temporary folder is a regular file or
// a real folder, there is no Downloads folder and the listed system folder is absent.
class HelpViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApplication();
        testing::makeFile(home.file("file"));
        platform.downloadsOverride = QString();
        platform.alerts.clear();
        platform.openedUrls.clear();
        view = std::make_unique<HelpView>(platform);
        view->setSystemDirectory(home.file("absent"));
        view->resize(276, 320);
        view->show();
        QApplication::processEvents();
    }
    void check(bool pass) {
        platform.tmpOverride = pass ? home.tmp() : home.file("file");
        ::testing::internal::CaptureStdout();
        view->checkButton()->click();
        ::testing::internal::GetCapturedStdout();
    }
    bool green() const {
        const QColor colour = view->statusLabel()->palette().color(QPalette::WindowText);
        return colour.green() > colour.red();
    }

    testing::TempHome home;
    testing::TestPlatform platform;
    std::unique_ptr<HelpView> view;
};

TEST_F(HelpViewTest, EveryTextInOrderAndNoOutcomeBeforeTheFirstCheck) {
    EXPECT_EQ(testing::visibleTexts(view->widget()),
              QStringList({"使用说明", "1. 获取剪贴板",
                           "点击状态栏图标，选择'获取剪贴板'选项，或使用Super+Shift+C快捷键。",
                           "2. 设置", "自定义图片生成选项和作者信息。", "3. 支持多种编程语言",
                           "包括Swift、Python、JavaScript等。", "快捷键", "Super+Shift+C",
                           "- 全局快捷键，随时获取剪贴板内容", "权限检查",
                           "应用需要Downloads目录的写入权限才能保存图片。", "检查权限设置"}));
    EXPECT_TRUE(view->permissionStatus().isEmpty());
    EXPECT_TRUE(view->statusLabel()->isHidden());
}

TEST_F(HelpViewTest, CheckOutcomes) {
    const int first = firstButtonReturn, second = firstButtonReturn + 1;
    const struct {
        bool pass;
        std::vector<int> answers;
        QStringList alerts;
        int urls;
    } cases[] = {
        {true, {}, {}, 0},
        {false, {second}, {"权限设置不正确"}, 0},
        {false, {first, second}, {"权限设置不正确", "需要Downloads目录的写入权限"}, 0},
        {false, {first, first}, {"权限设置不正确", "需要Downloads目录的写入权限"}, 1},
    };
    for (const auto &c : cases) {
        SetUp();
        QString lineDuringAlert;
        for (int answer : c.answers) {
            platform.answerNext([&, answer](const Alert &) {
                lineDuringAlert = view->statusLabel()->text();
                return answer;
            });
        }
        check(c.pass);
        const QString status = c.pass ? "✅ 权限设置正确！" : "❌ 权限设置不正确！";
        EXPECT_EQ(view->permissionStatus(), status);
        EXPECT_EQ(testing::visibleTexts(view->widget()).last(), status);
        EXPECT_EQ(green(), c.pass);
        EXPECT_EQ(testing::alertMessages(platform), c.alerts);
        EXPECT_EQ(platform.openedUrls.size(), c.urls);
        if (!c.pass) {
            EXPECT_EQ(lineDuringAlert, status) << "the red line comes before the alert";
            EXPECT_EQ(platform.alerts[0].alert.style, AlertStyle::Warning);
            EXPECT_EQ(platform.alerts[0].alert.informativeText, "请检查Downloads目录的写入权限。");
            EXPECT_EQ(platform.alerts[0].alert.buttons, QStringList({"前往设置", "取消"}));
        }
    }
    // Fixed since the last failure: green, no alert.
    check(true);
    EXPECT_TRUE(green());
    EXPECT_EQ(platform.alerts.size(), 2u);
}

TEST_F(HelpViewTest, LongTextsWrapAndThePageScrolls) {
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    for (QLabel *label : view->widget()->findChildren<QLabel *>()) {
        if (label->isVisible()) {
            EXPECT_LE(label->geometry().right(), view->viewport()->width());
            if (label->wordWrap()) {  // as tall as its text needs: never cut off
                EXPECT_GE(label->height(), label->heightForWidth(label->width()));
            }
        }
    }
    const QLabel *longest = view->widget()->findChildren<QLabel *>().at(2);
    EXPECT_GE(longest->height(), 2 * longest->fontMetrics().lineSpacing()) << "it wraps";
}

}  // namespace
}  // namespace codalume
