#include "app/qt_platform.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
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

TEST(QtPlatform, PathsFollowTheEnvironment) {
    testing::TempHome home;
    QtPlatform platform;
    EXPECT_EQ(platform.homeDirectory(), home.path());
    EXPECT_EQ(platform.temporaryDirectory(), home.tmp());
    EXPECT_EQ(platform.downloadsDirectory(), home.file("Downloads"));
    EXPECT_EQ(revealFallbackFolder(home.tmp()), home.tmp());
    EXPECT_EQ(revealFallbackFolder(home.file("tmp/missing.png")), home.tmp());
}

}  // namespace
}  // namespace codalume
