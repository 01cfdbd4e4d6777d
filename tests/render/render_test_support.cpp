#include "render_test_support.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

namespace codalume::testing {

namespace {

// Deletes the application after the last test, so leak checkers see a clean exit.
class GuiApplicationEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { delete qGuiApp; }
};

::testing::Environment *const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

}  // namespace

void ensureGuiApplication() {
    if (qGuiApp) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "render_tests";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

QString capturedStdout(const std::function<void()> &action) {
    ::testing::internal::CaptureStdout();
    action();
    return QString::fromStdString(::testing::internal::GetCapturedStdout());
}

QImage straight(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

}  // namespace codalume::testing
