#include "views/recent_images_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include "view_test_support.h"

namespace codalume {
namespace {

const QDateTime start(QDate(2026, 3, 5), QTime(14, 7), Qt::LocalTime);

QStringList names(const QList<RecentImage> &images) {
    QStringList result;
    for (const RecentImage &image : images) {
        result << image.name;
    }
    return result;
}

TEST(RecentImage, DatesInTheUsersLocale) {
    const std::pair<const char *, const char *> formats[] = {
        {"en_US", "3/5/26 2:07 PM"}, {"de_DE", "05.03.26 14:07"}, {"zh_CN", "2026/3/5 14:07"}};
    for (const auto &[locale, text] : formats) {
        EXPECT_EQ(formatRecentImageDate(start, QLocale(locale)), text);
        // A moment given in UTC is shown in the local time zone.
        EXPECT_EQ(formatRecentImageDate(start.toUTC(), QLocale(locale)), text);
    }
}

// The page shows three saved pictures: a wide and a tall one that can be read, and one whose
// file is gone.
class RecentImagesViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApplication();
        QLocale::setDefault(QLocale("de_DE"));
        ASSERT_TRUE(folder.isValid());
        for (const auto &[name, size] :
             {std::pair("wide.png", QSize(400, 100)), std::pair("tall.png", QSize(50, 200))}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::red);
            ASSERT_TRUE(image.save(folder.filePath(name)));
        }
        model = std::make_unique<RecentImagesModel>();
        model->addSaved(folder.filePath("gone.png"), "JavaScript", start.addSecs(-3 * 3600));
        model->addSaved(folder.filePath("tall.png"), "Python", start.addSecs(-2 * 3600));
        model->addSaved(folder.filePath("wide.png"), "Swift", start.addSecs(-3600));
        view = std::make_unique<RecentImagesView>(
            platform, [this] { ++captures; }, *model);
        view->resize(276, 320);
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QStringList row(int i) const {  // name, language line, date
        QWidget *widget = view->list()->itemWidget(view->list()->item(i));
        QStringList texts;
        for (const char *part : {"name", "language", "date"}) {
            texts << widget->findChild<QLabel *>(part)->text();
        }
        return texts;
    }
    QPixmap symbol(int i) const {
        return view->list()
            ->itemWidget(view->list()->item(i))
            ->findChild<QLabel *>("symbol")
            ->pixmap();
    }
    QStringList rowNames() const {
        QStringList result;
        for (int i = 0; i < view->list()->count(); ++i) {
            result << row(i)[0];
        }
        EXPECT_EQ(result, names(view->recentImages()));
        return result;
    }
    void press(int selectedRow, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        view->list()->clearSelection();
        if (selectedRow >= 0) {
            view->list()->setCurrentRow(selectedRow);
            view->list()->item(selectedRow)->setSelected(true);
        }
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(view->list(), &event);
    }

    QTemporaryDir folder;
    testing::TestPlatform platform;
    int captures = 0;
    std::unique_ptr<RecentImagesModel> model;
    std::unique_ptr<RecentImagesView> view;
};

TEST_F(RecentImagesViewTest, HeadingRowsAndButtonsInOrder) {
    EXPECT_EQ(row(0), QStringList({"wide.png", "语言: Swift", "05.03.26 13:07"}));
    EXPECT_EQ(row(1), QStringList({"tall.png", "语言: Python", "05.03.26 12:07"}));
    EXPECT_EQ(row(2), QStringList({"gone.png", "语言: JavaScript", "05.03.26 11:07"}));
    // A picture saved later goes on top; a clipboard image has no language line.
    model->addSaved(folder.filePath("pasted.png"), QString(), start);
    EXPECT_EQ(row(0), QStringList({"pasted.png", "", "05.03.26 14:07"}));
    const QStringList texts = testing::visibleTexts(view.get());
    EXPECT_EQ(texts.first(), "最近生成的图片");
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"清空剪贴板", "获取剪贴板"}));
    for (QPushButton *button : {view->clearButton(), view->captureButton()}) {
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_GT(button->width(), view->width() * 3 / 4) << "spans the page";
    }
}

TEST_F(RecentImagesViewTest, DeleteAndBackspaceRemoveTheSelectedRow) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        QStringList left;
    } cases[] = {
        {Qt::Key_Delete, {}, 1, {"wide.png", "gone.png"}},
        {Qt::Key_Backspace, {}, 0, {"tall.png", "gone.png"}},
        {Qt::Key_Delete, Qt::KeypadModifier, 2, {"wide.png", "tall.png"}},
        {Qt::Key_Delete, Qt::ControlModifier, 1, {"wide.png", "tall.png", "gone.png"}},
        {Qt::Key_A, {}, 1, {"wide.png", "tall.png", "gone.png"}},
        {Qt::Key_Delete, {}, -1, {"wide.png", "tall.png", "gone.png"}},
    };
    for (const auto &c : cases) {
        SetUp();
        press(c.row, c.key, c.modifiers);
        EXPECT_EQ(rowNames(), c.left) << "key " << c.key << " on row " << c.row;
        EXPECT_TRUE(QFile::exists(folder.filePath("wide.png"))) << "a row goes, never its file";
        EXPECT_TRUE(QFile::exists(folder.filePath("tall.png")));
    }
    for (int i = 0; i < 3; ++i) {
        press(0, Qt::Key_Delete);
    }
    EXPECT_EQ(rowNames(), QStringList());
    EXPECT_EQ(testing::visibleTexts(view.get()),
              QStringList({"最近生成的图片", "清空剪贴板", "获取剪贴板"}));
}

TEST_F(RecentImagesViewTest, ContextMenuDeletesTheRowItWasOpenedOn) {
    QListWidget *list = view->list();
    emit list->customContextMenuRequested(QPoint(5, list->viewport()->height() - 2));
    EXPECT_EQ(view->findChild<QMenu *>(), nullptr) << "no menu below the last row";

    emit list->customContextMenuRequested(list->visualItemRect(list->item(1)).center());
    QMenu *menu = view->findChild<QMenu *>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "删除");
    view->deleteRows({0});  // the list changes while the menu is open
    menu->actions()[0]->trigger();
    EXPECT_EQ(rowNames(), QStringList({"gone.png"}));
    menu->close();
}

TEST_F(RecentImagesViewTest, ButtonsClearTheClipboardAndCapture) {
    for (const bool hadText : {true, false}) {
        platform.text = hadText ? std::optional<QString>("x = 1") : std::nullopt;
        view->clearButton()->click();
        EXPECT_FALSE(platform.text.has_value());
    }
    EXPECT_EQ(platform.clipboardClears, 2);
    ASSERT_EQ(platform.alerts.size(), 2u);
    for (const auto &record : platform.alerts) {  // said every time, with the default button
        EXPECT_EQ(record.alert.style, AlertStyle::Warning);
        EXPECT_EQ(record.alert.messageText, "剪贴板已清空");
        EXPECT_EQ(record.alert.informativeText, "剪贴板内容已被清空");
        EXPECT_TRUE(record.alert.buttons.isEmpty());
    }

    view->captureButton()->click();
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(view->list()->count(), 3) << "capturing adds no row";
    RecentImagesModel empty;
    RecentImagesView(platform, {}, empty).captureButton()->click();  // no command: nothing breaks
}

// Thumbnails are read off the main thread: the row shows the symbol until its thumbnail
// arrives, and keeps it where the file cannot be read.
TEST_F(RecentImagesViewTest, ThumbnailsFitTheFrameWhereTheFileReads) {
    for (int round = 0; round < 1000 && view->pendingThumbnails() > 0; ++round) {
        QThread::msleep(10);
        QApplication::processEvents();
    }
    ASSERT_EQ(view->pendingThumbnails(), 0);
    const struct {
        int row;
        QSizeF points;  // fitted into 40 x 40, aspect kept
        bool red;
    } cases[] = {{0, {40, 10}, true}, {1, {10, 40}, true}, {2, {40, 40}, false}};
    for (const auto &c : cases) {
        const QPixmap pixmap = symbol(c.row);
        EXPECT_EQ(pixmap.deviceIndependentSize(), c.points) << c.row;
        const QColor middle = pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
        EXPECT_EQ(middle == QColor(Qt::red), c.red) << c.row;
    }
}

TEST_F(RecentImagesViewTest, DoubleClickAndEnterRevealTheRowsFile) {
    QListWidget *list = view->list();
    const QPoint centre = list->visualItemRect(list->item(1)).center();
    QMouseEvent click(QEvent::MouseButtonPress, centre, list->viewport()->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &click);
    QMouseEvent twice(QEvent::MouseButtonDblClick, centre, list->viewport()->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &twice);
    press(0, Qt::Key_Return);
    press(2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(platform.revealed,
              QStringList({folder.filePath("tall.png"), folder.filePath("wide.png"),
                           folder.filePath("gone.png")}));
    EXPECT_EQ(list->count(), 3);
}

}  // namespace
}  // namespace codalume
