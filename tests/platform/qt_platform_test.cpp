#include "platform/qt_platform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QTimer>

#include "support/temp_home.h"

namespace codalume {
namespace {

TEST(QtPlatform, ClipboardTellsTextFromImageFromNothing) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgba(1, 2, 3, 4));
    struct Case {
        const char *name;
        std::optional<QString> text;
        std::optional<QImage> image;
    };
    const Case cases[] = {
        {"text", QStringLiteral("int main() {}"), std::nullopt},
        {"empty text", QString(), std::nullopt},
        {"text and image", QStringLiteral("both"), image},
        {"image", std::nullopt, image},
        {"nothing", std::nullopt, std::nullopt},
    };
    QtPlatform platform;
    for (const Case &c : cases) {
        auto *data = new QMimeData;
        if (c.text) {
            data->setText(*c.text);
        }
        if (c.image) {
            data->setImageData(*c.image);
        }
        QGuiApplication::clipboard()->setMimeData(data);

        EXPECT_EQ(platform.clipboardText(), c.text) << c.name;
        const std::optional<QImage> read = platform.clipboardImage();
        ASSERT_EQ(read.has_value(), c.image.has_value()) << c.name;
        if (read) {
            EXPECT_EQ(read->convertToFormat(QImage::Format_ARGB32), *c.image) << c.name;
        }
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("to be cleared"));
    platform.clearClipboard();
    EXPECT_EQ(platform.clipboardText(), std::nullopt);

    // A copied picture: its very PNG bytes as image/png, and an image for other types.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    platform.setClipboardImage(png);
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data(QStringLiteral("image/png")), png);
    EXPECT_FALSE(copied->hasText());
    ASSERT_TRUE(platform.clipboardImage().has_value());
    EXPECT_EQ(platform.clipboardImage()->convertToFormat(QImage::Format_ARGB32), image);
}

TEST(QtPlatform, UserDefaultsPersistPerKey) {
    testing::TempHome home;
    {
        QtPlatform platform;
        EXPECT_FALSE(platform.userDefaultBool(QStringLiteral("hasPromptedForPermissions")));
        platform.setUserDefaultBool(QStringLiteral("hasPromptedForPermissions"), true);
        platform.setUserDefaultBool(QStringLiteral("other"), false);
    }
    QtPlatform later;
    EXPECT_TRUE(later.userDefaultBool(QStringLiteral("hasPromptedForPermissions")));
    EXPECT_FALSE(later.userDefaultBool(QStringLiteral("other")));
    EXPECT_FALSE(later.userDefaultBool(QStringLiteral("never set")));
    EXPECT_TRUE(QFileInfo::exists(home.file(".config/Codalume/Codalume.conf")));
}

TEST(QtPlatform, RunLaterRunsOnceOnTheEventLoopAndScaleIsAtLeastTwo) {
    QtPlatform platform;
    int runs = 0;
    QEventLoop loop;
    platform.runLater(std::chrono::milliseconds(1), [&] {
        ++runs;
        loop.quit();
    });
    EXPECT_EQ(runs, 0);
    QTimer::singleShot(std::chrono::seconds(30), &loop, &QEventLoop::quit);  // a safety net
    loop.exec();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_GE(platform.pictureScale(), 2.0);
}

TEST(QtPlatform, SavePanelsDoNotBlockAndAnswerLaterEachWithItsOwnPath) {
    testing::TempHome home;
    QDir(home.path()).mkpath(QStringLiteral("Downloads"));
    QtPlatform platform;
    struct Answer {
        int response = -1;
        QString path;
    };
    struct Case {
        const char *name;
        bool accept;
        Answer expected;
    };
    const Case cases[] = {
        {"confirmed", true, {modalResponseOK, home.file("Downloads/code_image_1.png")}},
        {"cancelled", false, {0, QString()}},
    };
    std::vector<Answer> answers(std::size(cases));
    std::vector<QFileDialog *> dialogs;
    for (size_t index = 0; index < std::size(cases); ++index) {
        SavePanelOptions options;
        options.title = QStringLiteral("保存图片");
        options.message = QStringLiteral("选择保存位置");
        options.proposedFileName = QStringLiteral("code_image_1.png");
        platform.beginSavePanel(options, [&answers, index](int response, const QString &path) {
            answers[index] = {response, path};
        });
        // Returned at once with the panel on screen.
        QFileDialog *dialog = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *candidate = qobject_cast<QFileDialog *>(widget);
            if (candidate != nullptr && candidate->isVisible() &&
                std::find(dialogs.begin(), dialogs.end(), candidate) == dialogs.end()) {
                dialog = candidate;
            }
        }
        ASSERT_NE(dialog, nullptr);
        dialogs.push_back(dialog);
        EXPECT_EQ(dialog->windowTitle(), options.title);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("PNG (*.png)")});
        EXPECT_EQ(dialog->directory().absolutePath(), home.file("Downloads"));
        EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
        bool messageShown = false;
        for (const QLabel *label : dialog->findChildren<QLabel *>()) {
            messageShown = messageShown || label->text() == options.message;
        }
        EXPECT_TRUE(messageShown);
    }
    ASSERT_EQ(dialogs.size(), std::size(cases));
    // Answered in reverse order; nothing is called back synchronously.
    for (size_t index = std::size(cases); index-- > 0;) {
        if (cases[index].accept) {
            static_cast<QDialog *>(dialogs[index])->accept();
        } else {
            dialogs[index]->reject();
        }
        EXPECT_EQ(answers[index].response, -1) << cases[index].name;
    }
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    for (size_t index = 0; index < std::size(cases); ++index) {
        EXPECT_EQ(answers[index].response, cases[index].expected.response) << cases[index].name;
        EXPECT_EQ(answers[index].path, cases[index].expected.path) << cases[index].name;
    }
}

}  // namespace
}  // namespace codalume
