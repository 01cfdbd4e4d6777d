#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImageReader>

#include "render/picture.h"
#include "render_test_support.h"

namespace codalume {
namespace {

QImage decode(const std::optional<QByteArray> &png) {
    QBuffer buffer;
    buffer.setData(png.value_or(QByteArray()));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(1024);  // MB: the tall test picture is bigger than the default
    return reader.read();
}

// The PNG is written in bands: each must hold the pixels a direct paint gives, past the 32767
// pixels of QImage and QPainter too; the shadow and the numbers must not start anew per band.
TEST(PngOfCodePicture, BandsMatchADirectPaintEverywhere) {
    UserPreferences allParts;
    allParts.useGradientBackground = true;
    allParts.authorName = "作者 😀";
    allParts.showLineNumbers = allParts.showWindowControls = allParts.showShadow = true;
    const std::pair<const char *, QString> rows[] = {
        {"taller than 32767 pixels", QStringLiteral("var mmm = 1 // 注\n").repeated(1'000)},
        {"wider than 32767 pixels", QString(2'100, u'm') + QStringLiteral("😀")},
        {"parts over several bands", QStringLiteral("let y = 2\n").repeated(300)},
    };
    for (const auto &[why, code] : rows) {
        SCOPED_TRACE(why);
        const std::optional<CodePicture> picture = testing::render(code, "Swift", allParts);
        ASSERT_TRUE(picture);
        const QImage decoded = decode(encodePng(Picture(*picture)));
        ASSERT_EQ(decoded.size(), picture->pixelSize());
        const int w = decoded.width();
        const int h = decoded.height();
        for (const QRect &area : {QRect(0, 0, 300, 200), QRect(w - 300, h - 200, 300, 200),
                                  QRect(0, 32'700, 300, 140), QRect(16'330, 130, 200, 60)}) {
            const QRect inside = area.intersected(decoded.rect());
            if (inside.isEmpty()) {
                continue;
            }
            QImage direct(inside.size(), QImage::Format_ARGB32_Premultiplied);
            picture->paintRegion(direct, inside);
            EXPECT_EQ(testing::differingPixels(decoded.copy(inside), direct), 0)
                << area.x() << ',' << area.y();
        }
    }
}

// The pictures people share are compressed thoroughly: the fast level's files are a fifth to a
// third larger (the same rows, unfiltered, through zlib at level 2).
TEST(PngOfCodePicture, SharedSizedPicturesAreCompressedThoroughly) {
    const std::optional<CodePicture> picture = testing::render(
        QStringLiteral("    const total = items.reduce((sum, x) => sum + x.cost, 0);\n")
            .repeated(20),
        "JavaScript", {});
    const std::optional<QByteArray> png = encodePng(Picture(picture.value()));
    const QImage rgba = decode(png).convertToFormat(QImage::Format_RGBA8888);
    QByteArray rows;
    for (int y = 0; y < rgba.height(); ++y) {
        rows.append('\0');
        rows.append(reinterpret_cast<const char *>(rgba.constScanLine(y)), rgba.width() * 4);
    }
    uLongf fast = compressBound(static_cast<uLong>(rows.size()));
    QByteArray packed(static_cast<qsizetype>(fast), '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef *>(packed.data()), &fast,
                        reinterpret_cast<const Bytef *>(rows.constData()),
                        static_cast<uLong>(rows.size()), 2),
              Z_OK);
    EXPECT_LT(static_cast<double>(png->size()), 0.88 * static_cast<double>(fast));
}

// Clipboard images come back with their pixels, alpha and depth.
TEST(PngOfImage, KeepsPixelsAlphaAndDepth) {
    QImage deep(7, 5, QImage::Format_RGBA64);  // rows of 56 bytes: no padding
    auto *samples = reinterpret_cast<quint16 *>(deep.bits());
    for (int i = 0; i < 7 * 5 * 4; ++i) {
        samples[i] = static_cast<quint16>(i * 1'801 + 3);
    }
    const struct {
        const char *fault;
        QImage image;
        QImage::Format compared;
    } rows[] = {
        {"premultiplied alpha not undone",
         deep.convertToFormat(QImage::Format_ARGB32_Premultiplied), QImage::Format_ARGB32},
        {"palette alpha lost", deep.convertToFormat(QImage::Format_Indexed8),
         QImage::Format_ARGB32},
        {"16-bit samples cut to 8", deep, QImage::Format_RGBA64},
        {"16-bit gray cut to 8", deep.convertToFormat(QImage::Format_Grayscale16),
         QImage::Format_RGBA64},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        const QImage decoded = decode(encodePng(Picture(row.image)));
        EXPECT_EQ(decoded.hasAlphaChannel(), row.image.hasAlphaChannel());
        EXPECT_EQ(decoded.convertToFormat(row.compared), row.image.convertToFormat(row.compared));
    }
}

}  // namespace
}  // namespace codalume
