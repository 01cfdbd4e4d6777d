// SPDX-License-Identifier: MIT
#include <QGuiApplication>
#include <QImage>
#include <cstring>

#include "fuzz_support.h"
#include "render/code_image.h"

// Fonts and painting need an application object: one for the whole run, off screen. The trace
// lines are not what is tested here.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    static int argc = 1;
    static char name[] = "codalume-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return std::freopen("/dev/null", "w", stdout) == nullptr ? 1 : 0;
}

// Bytes 0-3: the font size (any 32-bit value, negative and huge included); byte 4: flags;
// the rest: the text. A picture comes back within the limits, or none at all.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 5) {
        return 0;
    }
    int32_t fontSize = 0;
    std::memcpy(&fontSize, data, sizeof fontSize);
    codalume::UserPreferences preferences;
    preferences.fontSize = fontSize;
    preferences.authorName = (data[4] & 1) ? QStringLiteral("作者 😀") : QString();
    preferences.useGradientBackground = data[4] & 2;
    preferences.fontStyle = (data[4] & 4) ? QStringLiteral("JetBrains") : QStringLiteral("VSCode");
    const double scale = (data[4] & 8) ? 1.0 : 2.0;
    preferences.showLineNumbers = data[4] & 16;
    preferences.showWindowControls = data[4] & 32;
    preferences.showShadow = data[4] & 64;
    const QString text = codalume::fuzz::textFrom(data + 5, size - 5);

    const std::optional<codalume::CodePicture> picture =
        codalume::generateCodeImage(text, QStringLiteral("Swift"), preferences, scale);
    if (!picture) {
        return 0;
    }
    const QSize pixels = picture->pixelSize();
    using Limits = codalume::PictureLimits;
    if (pixels.width() <= 0 || pixels.height() <= 0 || pixels.width() > Limits::maxWidthPixels ||
        pixels.height() > Limits::maxHeightPixels ||
        qint64(pixels.width()) * pixels.height() > Limits::maxAreaPixels) {
        codalume::fuzz::fail("a picture beyond the limits");
    }
    // Paint a corner tile, and one where the card's corner lies behind a shadow's margin:
    // painting must not crash on whatever the layout holds.
    QImage tile(64, 64, QImage::Format_ARGB32_Premultiplied);
    picture->paintRegion(tile, QRect(0, 0, 64, 64));
    picture->paintRegion(tile, QRect(pixels.width() - 160, pixels.height() - 160, 64, 64));
    return 0;
}
