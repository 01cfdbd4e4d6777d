#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "app/status_bar_controller.h"
#include "support/file_test.h"
#include "support/scripted_platform.h"

namespace codalume::testing {

// A fresh HOME, the scripted platform and a controller with the default settings.
class FlowTest : public FileTest {
  protected:
    static constexpr double now = 1'700'000'000.0;
    ScriptedPlatform platform;
    StatusBarController controller{platform};
    const QString downloads = home.file(QStringLiteral("Downloads"));
    const QString fileName = QStringLiteral("code_image_1700000000.png");

    void SetUp() override { platform.now = now; }

    // Every pixel different and some transparent, so a change, crop or scaling shows.
    static QImage noise(int width = 7, int height = 5) {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, qRgba(x % 251, y % 241, (x ^ y) % 256, (x + y) % 3 * 120));
            }
        }
        return image;
    }
    static QImage decoded(const QString &path) {
        return QImage(path, "PNG").convertToFormat(QImage::Format_ARGB32);
    }
};

}  // namespace codalume::testing
