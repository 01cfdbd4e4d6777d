#include <gtest/gtest.h>

#include <QDir>
#include <cmath>

#include "render/code_image.h"
#include "render/code_picture_data.h"
#include "render/language.h"
#include "render_test_support.h"
#include "settings/preferences_file.h"

namespace codalume {
namespace {

using testing::channelDistance;

class CodeImage : public ::testing::Test {
  protected:
    void SetUp() override { testing::ensureGuiApplication(); }

    // A refusal ends the test.
    CodePicture render(const QString &code, const QString &language = "Text", double scale = 2) {
        return testing::render(code, language, prefs, scale).value();
    }

    static QImage paintAll(const CodePicture &picture) {
        QImage image(picture.pixelSize(), QImage::Format_ARGB32_Premultiplied);
        picture.paintRegion(image, QRect(QPoint(0, 0), image.size()));
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    UserPreferences prefs;
};

// Each reference/NAME.png was made with `codalume render NAME.txt --preferences NAME.json
// --scale 1` and looked at: a change of the card's padding, corner radius, label, rule, author
// line, colours, fonts or optional parts shows as differing pixels. light_card: a plain light
// card. all_parts: a hidden name and an empty WeChat, a tab, an emoji, an empty line and a line
// that widens the card, on a diagonal gradient with every optional part.
TEST_F(CodeImage, MatchesTheReferencePictures) {
    const QDir folder(QStringLiteral(CODALUME_SOURCE_DIR "/tests/render/reference"));
    const QStringList names = folder.entryList({"*.png"});
    ASSERT_EQ(names.size(), 2);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const auto read = [&](const char *extension) {
            QFile file(folder.filePath(QString(name).replace(".png", extension)));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        prefs = decodePreferences(read(".json")).value();
        const QString code = QString::fromUtf8(read(".txt"));
        const QImage image = paintAll(render(code, detectLanguage(code), 1.0));
        EXPECT_EQ(testing::differingPixels(image, QImage(folder.filePath(name))), 0);
    }
}

// Black to red: the start colour lies at the named side, whatever the card's size.
TEST_F(CodeImage, GradientRunsAlongItsDirection) {
    prefs.useGradientBackground = true;
    prefs.backgroundColorR = prefs.backgroundColorG = prefs.backgroundColorB = 0;
    prefs.gradientEndColorR = 1;
    prefs.gradientEndColorG = prefs.gradientEndColorB = 0;
    const struct {
        const char *direction;
        QPointF nearStart;  // fractions of the card, top-down
        QPointF nearEnd;
    } rows[] = {{"horizontal", {0.01, 0.45}, {0.99, 0.45}},
                {"vertical", {0.3, 0.99}, {0.3, 0.01}},
                {"sideways", {0.3, 0.99}, {0.3, 0.01}},
                {"diagonal", {0.03, 0.9}, {0.97, 0.1}}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.direction);
        prefs.gradientDirection = row.direction;
        const QImage image = paintAll(render("x\ny\nz"));
        const auto redAt = [&](QPointF f) {
            return qRed(image.pixel(static_cast<int>(f.x() * image.width()),
                                    static_cast<int>(f.y() * image.height())));
        };
        EXPECT_LT(redAt(row.nearStart), 40);
        EXPECT_GT(redAt(row.nearEnd), 215);
        EXPECT_NEAR(redAt({0.5, 0.45}), 128, 20);
    }
}

// Code no rule paints takes the contrast colour where black or dark gray would vanish on the
// card (the default card gave 1.3:1); light cards keep them (the reference pictures show both
// for dark gray). Label and rule follow the start colour as filled. Probed: the strongest ink
// of the first line against the card beside it.
TEST_F(CodeImage, BaseColouredCodeStaysReadableOnTheCard) {
    const QRgb white = 0xFFFFFFFF, black = 0xFF000000, darkGray = 0xFF555555;
    const struct {
        const char *fault;
        double red, rest;  // start colour
        double end;        // < 0: no gradient
        const char *language;
        QRgb code, decoration;
    } rows[] = {
        {"black Text on the default card", 0.12, 0.12, -1, "Text", white, white},
        {"dark gray kept on mid gray", 0.5, 0.5, -1, "Go", white, white},
        {"contrast taken from the end colour", 0.9, 0.9, 0, "Text", black, black},
        {"components not clamped as filled (cyan)", -1, 1, -1, "Go", darkGray, black},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        prefs.backgroundColorR = row.red;
        prefs.backgroundColorG = prefs.backgroundColorB = row.rest;
        prefs.useGradientBackground = row.end >= 0;
        prefs.gradientEndColorR = prefs.gradientEndColorG = prefs.gradientEndColorB = row.end;
        const CodePicture picture = render("MMMM MMMM", row.language);
        const QImage image = paintAll(picture);
        std::pair<int, QRgb> strongest{-1, 0};
        for (int y = 2 * 70; y < static_cast<int>(2 * (70 + picture.data().lineHeight)); ++y) {
            for (int x = 80; x < 400; ++x) {
                strongest = std::max(
                    strongest,
                    {channelDistance(image.pixel(x, y), image.pixel(60, y)), image.pixel(x, y)});
            }
        }
        EXPECT_LE(channelDistance(strongest.second, row.code), 8);
        const int ruleRow = static_cast<int>(std::lround(2 * (picture.size().height() - 65.5)));
        EXPECT_EQ(image.pixel(500, ruleRow), row.decoration);
    }
}

TEST_F(CodeImage, CountsLinesAtEveryTerminatorButNotATrailingOne) {
    const std::pair<const char16_t *, int> rows[] = {
        {u"", 0},         {u"a\n", 1},         {u"\n\n", 2},
        {u"a\r\nb", 2},   {u"a\rb\u2028c", 3}, {u"a\u2029\r\n", 2},
        {u"a\r\n\r\n", 2}};
    for (const auto &[code, lines] : rows) {
        SCOPED_TRACE(QString::fromUtf16(code).toStdString());
        const CodePicture picture = render(QString::fromUtf16(code));
        EXPECT_DOUBLE_EQ(picture.size().height(), lines * picture.data().lineHeight + 160);
    }
}

// Refusals come before any work, so without a trace line.
TEST_F(CodeImage, RefusesPicturesBeyondTheLimitsOnly) {
    const struct {
        const char *fault;
        QString code;
        int64_t fontSize;
        double scale;
        bool refused;
    } rows[] = {
        // Colour emoji glyphs are cached as one image each: huge sizes take gigabytes.
        {"emoji at font size 600 drawn", "x 😀", 600, 2, true},
        {"vanishing scale drawn", "x", 14, 1e-300, true},
        {"font size 512 at 2x refused", "x", 512, 2, false},
        {"negative font size refused", "x", -5, 2, false},
        {"20,000 lines at 1x refused", QString(20'000, u'\n'), 14, 1, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        prefs.fontSize = row.fontSize;
        QString trace;
        EXPECT_EQ(!testing::render(row.code, "Swift", prefs, row.scale, &trace), row.refused);
        EXPECT_EQ(trace.isEmpty(), row.refused);
    }
}

}  // namespace
}  // namespace codalume
