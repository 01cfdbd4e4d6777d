#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cmath>

#include "render/code_image.h"
#include "render/code_picture_data.h"
#include "render/picture.h"
#include "render_test_support.h"

namespace codalume {
namespace {

using testing::channelDistance;

QImage decode(const QByteArray &png) {
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(1024);  // MB: the tall test picture is bigger than the default
    return reader.read();
}

class PngOfCodePicture : public ::testing::Test {
  protected:
    void SetUp() override { testing::ensureGuiApplication(); }

    CodePicture render(const QString &code, const UserPreferences &prefs = {}) {
        std::optional<CodePicture> picture;
        testing::capturedStdout(
            [&] { picture = generateCodeImage(code, QStringLiteral("Swift"), prefs, 2.0); });
        if (!picture) {
            ADD_FAILURE() << "refused";
            std::abort();
        }
        return *picture;
    }

    // The PNG's pixels in `area` against a direct paint of the same area, both premultiplied
    // (straight colours of faint edge pixels differ by more than their rounding).
    static int mismatches(const QImage &decoded, const CodePicture &picture, const QRect &area) {
        QImage direct(area.size(), QImage::Format_ARGB32_Premultiplied);
        picture.paintRegion(direct, area);
        int count = 0;
        for (int y = 0; y < area.height(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                const QRgb written = decoded.pixel(area.x() + x, area.y() + y);
                count += channelDistance(written, direct.pixel(x, y)) > 1;
            }
        }
        return count;
    }
};

TEST_F(PngOfCodePicture, BandsMatchADirectPaintEverywhere) {
    UserPreferences gradient;
    gradient.useGradientBackground = true;
    gradient.gradientDirection = QStringLiteral("diagonal");
    gradient.authorName = QStringLiteral("作者 😀");
    UserPreferences allParts = gradient;
    allParts.showLineNumbers = allParts.showWindowControls = allParts.showShadow = true;
    const double lineHeight = render(QStringLiteral("x")).data().lineHeight;
    const auto tallLines = static_cast<qsizetype>(16'384 / lineHeight) + 20;
    const struct {
        const char *why;
        QString code;
        UserPreferences prefs;
    } cases[] = {
        {"small, solid", QStringLiteral("let x = \"héllo\" // 注释 😀\n\tif x { }"), {}},
        {"gradient with author", QStringLiteral("func f() -> Int { 42 }"), gradient},
        {"taller than 32767 pixels",
         QString(tallLines, u'x').replace(u'x', QStringLiteral("var mmm = 1 // 注\n")), gradient},
        {"wider than 32767 pixels", QString(2'100, u'm') + QStringLiteral("😀"), {}},
        // The shadow and the numbers are worked out per band: a band must not start them anew.
        {"numbers, controls and shadow over several bands",
         QString(300, u'x').replace(u'x', QStringLiteral("let y = 2\n")), allParts},
    };
    for (const auto &c : cases) {
        const CodePicture picture = render(c.code, c.prefs);
        const std::optional<QByteArray> png = encodePng(Picture(picture));
        ASSERT_TRUE(png) << c.why;
        const QImage decoded = decode(*png).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(decoded.size(), picture.pixelSize()) << c.why;
        EXPECT_EQ(decoded.dotsPerMeterX(), std::lround(2 * 72 / 0.0254)) << c.why;
        const int w = decoded.width();
        const int h = decoded.height();
        const QRect samples[] = {
            {0, 0, std::min(w, 300), 200},
            {std::max(0, w - 300), std::max(0, h - 200), std::min(w, 300), 200},
            {0, h / 2 - 40, std::min(w, 400), 80},
            {0, std::min(32'700, h - 140), std::min(w, 300), 140},
            {std::max(0, std::min(8'150, w - 200)), 130, 200, 60},
            {std::max(0, std::min(16'330, w - 200)), 130, 200, 60},
        };
        for (const QRect &area : samples) {
            EXPECT_EQ(mismatches(decoded, picture, area.intersected(decoded.rect())), 0)
                << c.why << " at " << area.x() << ',' << area.y();
        }
    }
}

// The pictures people share are compressed thoroughly: the fast level's files are a fifth to a
// third larger (the same rows, unfiltered, through zlib at level 2).
TEST_F(PngOfCodePicture, SharedSizedPicturesAreCompressedThoroughly) {
    const QString line =
        QStringLiteral("    const total = items.reduce((sum, x) => sum + x.cost, 0);\n");
    for (const int lines : {8, 50}) {
        const CodePicture picture = render(line.repeated(lines));
        ASSERT_LE(qint64(picture.pixelSize().width()) * picture.pixelSize().height(), 4'000'000);
        const std::optional<QByteArray> png = encodePng(Picture(picture));
        ASSERT_TRUE(png);
        const QImage rgba = decode(*png).convertToFormat(QImage::Format_RGBA8888);
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
        EXPECT_LT(static_cast<double>(png->size()), 0.88 * static_cast<double>(fast)) << lines;
    }
}

QImage sampleImage() {
    QImage image(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgba(x * 37, y * 51, (x * y * 29) % 256, (x + y) * 25 + 5));
        }
    }
    return image;
}

struct ImageCase {
    const char *why;
    std::function<QImage()> make;
    bool deep;  // compared at 16 bits per sample
};

TEST(PngOfImage, KeepsPixelsAlphaAndDepth) {
    const ImageCase cases[] = {
        {"straight alpha", [] { return sampleImage(); }, false},
        {"premultiplied",
         [] { return sampleImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }, false},
        {"opaque RGB32", [] { return sampleImage().convertToFormat(QImage::Format_RGB32); }, false},
        {"RGB888", [] { return sampleImage().convertToFormat(QImage::Format_RGB888); }, false},
        {"indexed with alpha in the palette",
         [] {
             QImage image(4, 3, QImage::Format_Indexed8);
             image.setColorTable(
                 {qRgba(255, 0, 0, 128), qRgba(0, 0, 255, 0), qRgba(10, 200, 30, 255)});
             for (int i = 0; i < 12; ++i) {
                 image.setPixel(i % 4, i / 4, static_cast<uint>(i % 3));
             }
             return image;
         },
         false},
        {"grayscale 8", [] { return sampleImage().convertToFormat(QImage::Format_Grayscale8); },
         false},
        {"mono", [] { return sampleImage().convertToFormat(QImage::Format_Mono); }, false},
        {"grayscale 16",
         [] {
             QImage image(3, 2, QImage::Format_Grayscale16);
             for (int i = 0; i < 6; ++i) {
                 reinterpret_cast<quint16 *>(image.scanLine(i / 3))[i % 3] =
                     static_cast<quint16>(i * 10'001 + 7);
             }
             return image;
         },
         true},
        {"RGBA64 with 16-bit samples",
         [] {
             QImage image(3, 2, QImage::Format_RGBA64);
             for (int i = 0; i < 6; ++i) {
                 image.setPixelColor(
                     i % 3, i / 3,
                     QColor::fromRgba64(static_cast<quint16>(i * 9'001 + 3), 65'535 - i,
                                        257 * i + 1, static_cast<quint16>(10'000 * i + 1)));
             }
             return image;
         },
         true},
        {"RGBX64", [] { return sampleImage().convertToFormat(QImage::Format_RGBX64); }, true},
    };
    for (const ImageCase &c : cases) {
        const QImage original = c.make();
        const std::optional<QByteArray> png = encodePng(Picture(original));
        ASSERT_TRUE(png) << c.why;
        const QImage decoded = decode(*png);
        ASSERT_EQ(decoded.size(), original.size()) << c.why;
        EXPECT_EQ(decoded.hasAlphaChannel(), original.hasAlphaChannel()) << c.why;
        const QImage::Format compared = c.deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32;
        EXPECT_EQ(decoded.convertToFormat(compared), original.convertToFormat(compared)) << c.why;
    }
}

TEST(PngOfImage, ReportsFailuresInsteadOfSuccess) {
    const QImage image = sampleImage();
    QString error;

    QBuffer closed;
    EXPECT_FALSE(writePng(Picture(image), closed, &error));
    EXPECT_FALSE(error.isEmpty());

    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    error.clear();
    EXPECT_FALSE(writePng(Picture(image), full, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("writing the PNG data failed")))
        << error.toStdString();

    EXPECT_FALSE(encodePng(Picture(QImage())));
}

// Faults: a progress window stuck short of its end, a bar that jumps back, or a stop that is
// not honoured (the encoding runs on and reports success).
TEST(PngOfImage, ReportsEveryBandInOrderAndStopsWhenTold) {
    // 512 rows of 1 KiB per band: five bands, the last one short.
    QImage image(256, 2200, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    struct Case {
        int stopAfter;  // 0: never
        bool written;
        std::vector<int> expected;
    };
    for (const Case &c : {Case{0, true, {1, 2, 3, 4, 5}}, Case{2, false, {1, 2}}}) {
        std::vector<int> seen;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const bool written = writePng(Picture(image), buffer, nullptr, [&](int done, int total) {
            EXPECT_EQ(total, 5);
            seen.push_back(done);
            return done != c.stopAfter;
        });
        EXPECT_EQ(written, c.written) << c.stopAfter;
        EXPECT_EQ(seen, c.expected) << c.stopAfter;
    }
}

}  // namespace
}  // namespace codalume
