#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>
#include <optional>

#include "app/status_bar_controller.h"
#include "support/file_test.h"
#include "support/scripted_platform.h"

namespace codalume::testing {

// The scripted platform with folders that a test may move somewhere unusable.
class FlowPlatform : public ScriptedPlatform {
  public:
    std::optional<QString> downloads;
    std::optional<QString> temporary;
    QString downloadsDirectory() override {
        return downloads ? *downloads : ScriptedPlatform::downloadsDirectory();
    }
    QString temporaryDirectory() override {
        return temporary ? *temporary : ScriptedPlatform::temporaryDirectory();
    }
};

// A fresh HOME, the scripted platform and a controller with the default settings.
class FlowTest : public FileTest {
  protected:
    FlowPlatform platform;
    StatusBarController controller{platform};

    QString downloadsPath() const { return home.file(QStringLiteral("Downloads")); }

    QStringList alertMessages() const {
        QStringList messages;
        for (const auto &record : platform.alerts) {
            messages << record.alert.messageText;
        }
        return messages;
    }

    // A small picture with transparent and coloured pixels, as a clipboard would hold it.
    static QImage sampleImage(int width = 7, int height = 5) {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y,
                               qRgba(x * 30 % 256, y * 50 % 256, (x + y) * 20 % 256,
                                     (x + y) % 3 == 0 ? 0 : 128 + x * 10));
            }
        }
        return image;
    }
};

}  // namespace codalume::testing
