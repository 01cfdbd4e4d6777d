#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <vector>

#include "platform/tray_icon.h"

namespace codalume {
namespace {

TEST(TrayIconTest, LookupOrder) {
    enum class Beside { Nothing, ValidIco, BrokenIco, FolderNamedIco };
    struct Case {
        const char *name;
        Beside beside;
        TrayIconSource expected;
    };
    const std::vector<Case> cases = {
        {"no Resources folder", Beside::Nothing, TrayIconSource::Symbol},
        {"an icon beside the executable", Beside::ValidIco, TrayIconSource::ApplicationFile},
        {"a file that is no image", Beside::BrokenIco, TrayIconSource::Symbol},
        {"a folder named ico.ico", Beside::FolderNamedIco, TrayIconSource::Symbol},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("Resources"));
        const QString ico = dir.filePath(QStringLiteral("Resources/ico.ico"));
        if (c.beside == Beside::ValidIco) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(Qt::red);
            ASSERT_TRUE(image.save(ico, "ICO"));
        } else if (c.beside == Beside::BrokenIco) {
            QFile file(ico);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("not an icon");
        } else if (c.beside == Beside::FolderNamedIco) {
            QDir(dir.path()).mkpath(QStringLiteral("Resources/ico.ico"));
        }
        const TrayIcon icon = loadTrayIcon(dir.path());
        EXPECT_EQ(icon.source, c.expected) << c.name;
        EXPECT_FALSE(icon.icon.isNull()) << c.name;
        const QImage shown = icon.icon.pixmap(18, 18).toImage();
        EXPECT_FALSE(shown.isNull()) << c.name;
        if (c.expected == TrayIconSource::ApplicationFile) {
            EXPECT_EQ(icon.icon.availableSizes().value(0), QSize(18, 18));
            EXPECT_EQ(QColor(shown.pixel(9, 9)), QColor(Qt::red)) << c.name;
        } else {
            // The scissors symbol draws something: some pixel is not transparent.
            bool drawn = false;
            for (int y = 0; y < shown.height() && !drawn; ++y) {
                for (int x = 0; x < shown.width() && !drawn; ++x) {
                    drawn = qAlpha(shown.pixel(x, y)) > 0;
                }
            }
            EXPECT_TRUE(drawn) << c.name;
        }
    }
    EXPECT_EQ(loadTrayIcon(QString()).source, TrayIconSource::Symbol);
}

}  // namespace
}  // namespace codalume
