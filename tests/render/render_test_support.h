#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "render/code_image.h"

namespace codalume::testing {

// Deletes the application after the last test, so leak checkers see a clean exit.
struct GuiApplicationCleanup : ::testing::Environment {
    void TearDown() override { delete qGuiApp; }
};
inline ::testing::Environment *const kGuiApplicationCleanup =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationCleanup);

// Fonts need a QGuiApplication; the first call makes one, off screen, for the whole program.
inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "render_tests";
    static char *argv[] = {name, nullptr};
    if (!qGuiApp) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

// Renders with the trace lines kept in `trace` instead of printed.
inline std::optional<CodePicture> render(const QString &code, const QString &language,
                                         const UserPreferences &prefs, double scale = 2,
                                         QString *trace = nullptr) {
    ensureGuiApplication();
    ::testing::internal::CaptureStdout();
    std::optional<CodePicture> picture = generateCodeImage(code, language, prefs, scale);
    const std::string out = ::testing::internal::GetCapturedStdout();
    if (trace != nullptr) {
        *trace = QString::fromStdString(out);
    }
    return picture;
}

// Largest difference of any channel between the two colours.
inline int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// Pixels that differ by more than rounding, compared premultiplied (straight colours of faint
// edge pixels differ by more than their rounding); -1 when the sizes differ.
inline int differingPixels(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int count = x.size() == y.size() ? 0 : -1;
    for (int row = 0; count >= 0 && row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            count += channelDistance(x.pixel(column, row), y.pixel(column, row)) > 1;
        }
    }
    return count;
}

}  // namespace codalume::testing
