#include "views/recent_images_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>

#include "support/scripted_platform.h"
#include "view_test_support.h"

namespace codalume {
namespace {

using testing::ScriptedPlatform;

const QDateTime startTime(QDate(2026, 3, 5), QTime(14, 7), Qt::LocalTime);

QStringList names(const QList<RecentImage> &images) {
    QStringList result;
    for (const RecentImage &image : images) {
        result << image.name;
    }
    return result;
}

TEST(RecentImage, SamplesAreOneTwoAndThreeHoursOld) {
    const QList<RecentImage> samples = sampleRecentImages(startTime);
    ASSERT_EQ(samples.size(), 3);
    const struct {
        const char *name;
        const char *language;
        int hours;
    } expected[] = {
        {"Image 1", "Swift", 1}, {"Image 2", "Python", 2}, {"Image 3", "JavaScript", 3}};
    QSet<QUuid> ids;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(samples[i].name, expected[i].name);
        EXPECT_EQ(samples[i].language, expected[i].language);
        EXPECT_EQ(samples[i].date.secsTo(startTime), expected[i].hours * 3600);
        ids.insert(samples[i].id);
    }
    EXPECT_EQ(ids.size(), 3) << "every entry has its own identity";
    EXPECT_FALSE(ids.contains(QUuid()));
}

TEST(RecentImage, DatesUseTheLocalesShortDateAndTime) {
    const struct {
        const char *locale;
        const char *text;
    } cases[] = {
        {"en_US", "3/5/26 2:07 PM"},
        {"de_DE", "05.03.26 14:07"},
        {"zh_CN", "2026/3/5 14:07"},
        {"en_GB", "05/03/2026 14:07"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(formatRecentImageDate(startTime, QLocale(c.locale)), c.text) << c.locale;
    }
    // A moment given in UTC is shown in the local time zone.
    EXPECT_EQ(formatRecentImageDate(startTime.toUTC(), QLocale("de_DE")), "05.03.26 14:07");
}

TEST(RecentImage, RemovingPositionsKeepsTheOthersInOrder) {
    const struct {
        QList<int> positions;
        QStringList left;
    } cases[] = {
        {{1}, {"Image 1", "Image 3"}},
        {{0}, {"Image 2", "Image 3"}},
        {{2, 0}, {"Image 2"}},
        {{0, 1, 2}, {}},
        {{1, 1}, {"Image 1", "Image 3"}},
        {{-1, 3, 99}, {"Image 1", "Image 2", "Image 3"}},
        {{}, {"Image 1", "Image 2", "Image 3"}},
    };
    const QList<RecentImage> samples = sampleRecentImages(startTime);
    for (const auto &c : cases) {
        EXPECT_EQ(names(removePositions(samples, c.positions)), c.left);
    }
}

class RecentImagesViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApplication();
        QLocale::setDefault(QLocale("de_DE"));
        view = std::make_unique<RecentImagesView>(
            platform, [this] { ++captures; }, sampleRecentImages(startTime));
        view->resize(276, 320);
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    // Texts of each row's labels: name, language line and date.
    QList<QStringList> rows() const {
        QList<QStringList> result;
        QListWidget *list = view->list();
        for (int i = 0; i < list->count(); ++i) {
            QWidget *row = list->itemWidget(list->item(i));
            QStringList texts;
            for (const char *part : {"name", "language", "date"}) {
                const auto *label = row->findChild<QLabel *>(part);
                texts << (label ? label->text() : QStringLiteral("<missing>"));
            }
            result << texts;
        }
        return result;
    }

    QStringList rowNames() const {
        QStringList result;
        for (const QStringList &row : rows()) {
            result << row[0];
        }
        return result;
    }

    void select(int row) {
        view->list()->clearSelection();
        view->list()->item(row)->setSelected(true);
    }

    ScriptedPlatform platform;
    int captures = 0;
    std::unique_ptr<RecentImagesView> view;
};

TEST_F(RecentImagesViewTest, ShowsHeadingRowsAndButtonsInOrder) {
    EXPECT_EQ(rows(), (QList<QStringList>{
                          {"Image 1", "语言: Swift", "05.03.26 13:07"},
                          {"Image 2", "语言: Python", "05.03.26 12:07"},
                          {"Image 3", "语言: JavaScript", "05.03.26 11:07"},
                      }));
    const QStringList texts = testing::visibleTexts(view.get());
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts.first(), "最近生成的图片");
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"清空剪贴板", "获取剪贴板"}));
    EXPECT_FALSE(view->clearButton()->icon().isNull());
    EXPECT_FALSE(view->captureButton()->icon().isNull());
    // Both buttons span the page's width.
    EXPECT_EQ(view->clearButton()->width(), view->captureButton()->width());
    EXPECT_GT(view->clearButton()->width(), view->width() * 3 / 4);
}

TEST_F(RecentImagesViewTest, DeleteAndBackspaceRemoveTheSelectedRow) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        QStringList left;
    } cases[] = {
        {Qt::Key_Delete, Qt::NoModifier, 1, {"Image 1", "Image 3"}},
        {Qt::Key_Backspace, Qt::NoModifier, 0, {"Image 2", "Image 3"}},
        {Qt::Key_Delete, Qt::KeypadModifier, 2, {"Image 1", "Image 2"}},
        {Qt::Key_Delete, Qt::ControlModifier, 1, {"Image 1", "Image 2", "Image 3"}},
        {Qt::Key_A, Qt::NoModifier, 1, {"Image 1", "Image 2", "Image 3"}},
    };
    for (const auto &c : cases) {
        SetUp();
        select(c.row);
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
        QApplication::sendEvent(view->list(), &press);
        EXPECT_EQ(rowNames(), c.left) << "key " << c.key << " on row " << c.row;
        EXPECT_EQ(names(view->recentImages()), c.left);
    }
}

TEST_F(RecentImagesViewTest, DeletingEveryRowLeavesHeadingAndButtons) {
    for (int i = 0; i < 3; ++i) {
        select(0);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(view->list(), &press);
    }
    EXPECT_EQ(view->list()->count(), 0);
    EXPECT_TRUE(view->recentImages().isEmpty());
    EXPECT_EQ(testing::visibleTexts(view.get()),
              QStringList({"最近生成的图片", "清空剪贴板", "获取剪贴板"}));
    // Nothing selected: the key does nothing.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(view->list(), &press);
    EXPECT_EQ(view->list()->count(), 0);
}

TEST_F(RecentImagesViewTest, ContextMenuDeletesTheRowUnderThePointer) {
    QListWidget *list = view->list();
    const QPoint middleRow = list->visualItemRect(list->item(1)).center();
    emit list->customContextMenuRequested(middleRow);
    QMenu *menu = view->findChild<QMenu *>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "删除");
    // The list changes while the menu is open: the menu still removes the row it was opened on.
    view->deleteRows({0});
    menu->actions()[0]->trigger();
    EXPECT_EQ(rowNames(), QStringList({"Image 3"}));
    menu->close();
}

TEST_F(RecentImagesViewTest, NoContextMenuBelowTheLastRow) {
    QListWidget *list = view->list();
    emit list->customContextMenuRequested(QPoint(5, list->viewport()->height() - 2));
    EXPECT_EQ(view->findChild<QMenu *>(), nullptr);
}

TEST_F(RecentImagesViewTest, ClearClipboardEmptiesItAndAlwaysSaysSo) {
    for (const bool hadText : {true, false}) {
        SCOPED_TRACE(hadText);
        ScriptedPlatform fresh;
        RecentImagesView page(fresh, {}, {});
        if (hadText) {
            fresh.text = QStringLiteral("let x = 1");
        }
        page.clearButton()->click();
        EXPECT_EQ(fresh.clipboardClears, 1);
        EXPECT_FALSE(fresh.text.has_value());
        ASSERT_EQ(fresh.alerts.size(), 1u);
        const Alert &alert = fresh.alerts[0].alert;
        EXPECT_EQ(alert.style, AlertStyle::Warning);
        EXPECT_EQ(alert.messageText, "剪贴板已清空");
        EXPECT_EQ(alert.informativeText, "剪贴板内容已被清空");
        EXPECT_TRUE(alert.buttons.isEmpty());
    }
}

TEST_F(RecentImagesViewTest, CaptureButtonRunsTheCommandAndAddsNoRow) {
    view->captureButton()->click();
    view->captureButton()->click();
    EXPECT_EQ(captures, 2);
    EXPECT_EQ(view->list()->count(), 3);
    EXPECT_TRUE(platform.alerts.empty());

    RecentImagesView withoutCommand(platform, {}, {});
    withoutCommand.captureButton()->click();  // nothing to run, nothing breaks
    EXPECT_TRUE(platform.alerts.empty());
}

}  // namespace
}  // namespace codalume
