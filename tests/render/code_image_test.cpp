#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <cmath>

#include "render/code_image.h"
#include "render/code_picture_data.h"
#include "render/trace.h"
#include "render_test_support.h"

namespace codalume {
namespace {

using testing::channelDistance;

class CodeImage : public ::testing::Test {
  protected:
    void SetUp() override { testing::ensureGuiApplication(); }

    CodePicture render(const QString &code, const QString &language = QStringLiteral("Text"),
                       double scale = 2.0) {
        QString failure;
        std::optional<CodePicture> picture;
        testing::capturedStdout(
            [&] { picture = generateCodeImage(code, language, prefs, scale, &failure); });
        if (!picture) {
            ADD_FAILURE() << "refused: " << failure.toStdString();
            std::abort();
        }
        return *picture;
    }

    static QImage paintAll(const CodePicture &picture) {
        QImage image(picture.pixelSize(), QImage::Format_ARGB32_Premultiplied);
        picture.paintRegion(image, QRect(QPoint(0, 0), image.size()));
        return testing::straight(image);
    }

    // Bounding box of the pixels in `area` that differ clearly from `background`.
    static QRect ink(const QImage &image, const QRect &area, QRgb background) {
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 255 && channelDistance(pixel, background) > 60) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }

    UserPreferences prefs;
};

TEST_F(CodeImage, EmptyCodeGivesTheMinimumCardAndItsTraces) {
    std::optional<CodePicture> picture;
    const QString out = testing::capturedStdout(
        [&] { picture = generateCodeImage(QString(), QStringLiteral("Text"), prefs); });
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSizeF(500, 160));
    EXPECT_EQ(picture->pixelSize(), QSize(1000, 320));
    EXPECT_EQ(out, QStringLiteral("没有作者信息可显示或已选择不显示\n"
                                  "图片生成完成，尺寸: (500.0, 160.0), 作者信息宽度: 0.0, "
                                  "代码宽度: 80.0\n"));
}

// Trace numbers: shortest round-trip text, but "1e+05" for a 100000-point height was read as
// a different kind of number than every other size.
TEST(TraceNumbers, PlainDecimalsWithAFractionNeverExponents) {
    const struct {
        double value;
        const char *text;
    } cases[] = {{40, "40.0"},
                 {0.1, "0.1"},
                 {100000, "100000.0"},
                 {-2.5e6, "-2500000.0"},
                 {1e21, "1000000000000000000000.0"},
                 {1.5e-7, "0.00000015"}};
    for (const auto &c : cases) {
        EXPECT_EQ(formatNumber(c.value), QString::fromLatin1(c.text)) << c.text;
    }
    EXPECT_EQ(formatNumber(5e-324).size(), 326) << "the smallest fraction fits";
    EXPECT_EQ(formatNumber(1.7976931348623157e308).size(), 311) << "the largest double fits";
}

struct LinesCase {
    const char16_t *code;
    int lines;
};

TEST_F(CodeImage, CountsLinesAtEveryTerminatorButNotATrailingOne) {
    const LinesCase cases[] = {
        {u"", 0},       {u"a", 1},           {u"a\n", 1},         {u"\n", 1},       {u"\n\n", 2},
        {u"a\r\nb", 2}, {u"a\rb\u2028c", 3}, {u"a\u2029\r\n", 2}, {u"a\r\n\r\n", 2}};
    for (const LinesCase &c : cases) {
        const CodePicture picture = render(QString::fromUtf16(c.code));
        const auto &data = picture.data();
        EXPECT_EQ(data.lines.size(), static_cast<size_t>(c.lines))
            << QString::fromUtf16(c.code).toStdString();
        EXPECT_DOUBLE_EQ(picture.size().height(), c.lines * data.lineHeight + 160);
    }
}

TEST_F(CodeImage, WidthIsTheLargestOfCodeAuthorAndMinimum) {
    const CodePicture shortCode = render(QStringLiteral("x = 1"));
    EXPECT_EQ(shortCode.size().width(), 500);

    const CodePicture wide = render(QString(100, u'm'));
    const double advance = QFontMetricsF(wide.data().codeFont).horizontalAdvance(u'm');
    EXPECT_NEAR(wide.data().textWidth, 100 * advance, 0.5);
    EXPECT_DOUBLE_EQ(wide.size().width(), wide.data().textWidth + 80);

    const CodePicture tabbed = render(QStringLiteral("\tx"));
    EXPECT_NEAR(tabbed.data().textWidth, 5 * advance, 0.5) << "a tab advances four blanks";

    prefs.authorName = QString(200, u'W');
    const CodePicture authored = render(QStringLiteral("x"));
    const QFont font = authored.data().authorFont;
    EXPECT_NEAR(
        authored.size().width(),
        QFontMetricsF(font).horizontalAdvance(QStringLiteral("Author: ") + prefs.authorName) + 80,
        0.01);
    EXPECT_DOUBLE_EQ(authored.data().authorWidth, authored.size().width());
}

struct AuthorCase {
    const char *why;
    std::function<void(UserPreferences &)> set;
    const char *line;
};

TEST_F(CodeImage, BuildsTheAuthorLineFromShownNonEmptyFields) {
    const AuthorCase cases[] = {
        {"nothing set", [](UserPreferences &) {}, ""},
        {"hidden name, empty shown email",
         [](UserPreferences &p) {
             p.authorName = "A";
             p.showAuthorName = false;
         },
         ""},
        {"only email", [](UserPreferences &p) { p.email = "e@x"; }, "Email: e@x"},
        {"blanks count as a value", [](UserPreferences &p) { p.wechat = "  "; }, "WeChat:   "},
        {"all four in order",
         [](UserPreferences &p) {
             p.blog = "b";
             p.wechat = "w";
             p.email = "e";
             p.authorName = "张";
         },
         "Author: 张   |   Email: e   |   WeChat: w   |   Blog: b"},
    };
    for (const AuthorCase &c : cases) {
        prefs = UserPreferences();
        c.set(prefs);
        std::optional<CodePicture> picture;
        const QString out = testing::capturedStdout(
            [&] { picture = generateCodeImage(QStringLiteral("x"), QStringLiteral("Go"), prefs); });
        ASSERT_TRUE(picture);
        const QString line = QString::fromUtf8(c.line);
        EXPECT_EQ(picture->data().authorLine, line) << c.why;
        const QString first = out.section(u'\n', 0, 0);
        if (line.isEmpty()) {
            EXPECT_EQ(first, QStringLiteral("没有作者信息可显示或已选择不显示")) << c.why;
        } else {
            EXPECT_EQ(first, QStringLiteral("绘制作者信息: ") + line +
                                 QStringLiteral(" 在位置: (40.0, 20.0)"))
                << c.why;
        }
    }
}

TEST_F(CodeImage, ChoosesTheFamilyOnlyWhenItReallyResolves) {
    const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    // Whichever of these families this machine has installed, the requested one is used
    // exactly when it is there; otherwise the system's fixed-pitch font.
    const struct {
        const char *style;
        const char *requested;
    } cases[] = {{"JetBrains", "JetBrains Mono"},
                 {"JetBrains Mono", "Menlo"},
                 {"Menlo", "Menlo"},
                 {"Consolas", "Consolas"},
                 {"", "Menlo"}};
    for (const auto &c : cases) {
        const QString requested = QString::fromUtf8(c.requested);
        const QString expected = QFontDatabase::hasFamily(requested) ? requested : fixed;
        prefs.fontStyle = QString::fromUtf8(c.style);
        EXPECT_EQ(QFontInfo(render(QStringLiteral("x")).data().codeFont).family(), expected)
            << c.style;
    }
}

TEST_F(CodeImage, ContrastSwitchesAboveExactlyOneHalf) {
    const struct {
        double r, g, b;
        QColor expected;
    } cases[] = {{0.5, 0.5, 0.5, Qt::white},   {0.5000001, 0.5, 0.5, Qt::black},
                 {0, 0, 0, Qt::white},         {1, 1, 1, Qt::black},
                 {0.2, 0.9, 0.1, Qt::black},   {0.9, 0.2, 0.9, Qt::white},
                 {0.12, 0.12, 0.12, Qt::white}};
    for (const auto &c : cases) {
        EXPECT_EQ(contrastColor(c.r, c.g, c.b), c.expected) << c.r << ' ' << c.g << ' ' << c.b;
    }
    EXPECT_EQ(contrastColor(QColor::fromRgbF(1, 1, 0)), QColor(Qt::black));
}

TEST_F(CodeImage, PlacesCardLabelRuleAndCodeOnRealPixels) {
    prefs.backgroundColorR = prefs.backgroundColorG = prefs.backgroundColorB = 0.9;
    const CodePicture picture = render(QStringLiteral("MMMM\nMMMM"), QStringLiteral("Go"));
    const QImage image = paintAll(picture);
    const QRgb background = QColor::fromRgbF(0.9, 0.9, 0.9).rgba();
    const int w = image.width();
    const int h = image.height();
    const double H = picture.size().height();

    // Transparent corners, antialiased edge, opaque inside.
    for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
    }
    int transparent = 0;
    int partial = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            transparent += alpha == 0;
            partial += alpha > 0 && alpha < 255;
        }
    }
    // Outside a quarter circle of radius 24 pixels: 24 * 24 * (1 - pi / 4), about 124.
    EXPECT_NEAR(transparent + partial / 2, 124, 12);
    EXPECT_GT(partial, 20) << "antialiased edge";
    EXPECT_EQ(image.pixel(24, 24), background);
    EXPECT_EQ(image.pixel(w / 2, 1), background);

    // Label: black on a light card, right edge 40 points in, box bottom 30 points down.
    const QRect label = ink(image, QRect(0, 0, w, 140), background);
    ASSERT_TRUE(label.isValid());
    EXPECT_LE(label.right(), 2 * (500 - 40));
    EXPECT_GE(label.right(), 2 * (500 - 40) - 6);
    EXPECT_LE(label.bottom(), 2 * 30);
    EXPECT_GE(label.bottom(), 2 * (30 - picture.data().labelDescent) - 2);
    EXPECT_LT(qGray(image.pixel(label.center())), 128 + 64);

    // Rule: two whole device rows at 65 points above the bottom, from x 40 to width - 40.
    const int ruleTop = static_cast<int>(std::lround(2 * (H - 65 - 0.5)));
    for (int row : {ruleTop, ruleTop + 1}) {
        EXPECT_EQ(image.pixel(80, row), QColor(Qt::black).rgba()) << row;
        EXPECT_EQ(image.pixel(919, row), QColor(Qt::black).rgba()) << row;
        EXPECT_EQ(image.pixel(79, row), background) << row;
        EXPECT_EQ(image.pixel(920, row), background) << row;
    }
    EXPECT_EQ(image.pixel(500, ruleTop - 1), background);
    EXPECT_EQ(image.pixel(500, ruleTop + 2), background);

    // Code: starts 40 points in, its box 70 points below the top; two lines of M.
    const QRect code = ink(image, QRect(0, 140, w, ruleTop - 10 - 140), background);
    ASSERT_TRUE(code.isValid());
    EXPECT_NEAR(code.left(), 80, 4);
    const auto &data = picture.data();
    EXPECT_NEAR(code.bottom(), 2 * (70 + data.lineHeight + data.codeAscent), 3);
    EXPECT_GT(code.top(), 140);
}

// A light card rendered by the command line and kept in tests/render/reference: any change of
// layout, colour or antialiasing in a picture without the optional parts shows here.
TEST_F(CodeImage, WithoutOptionalPartsMatchesTheReferencePicture) {
    prefs.fontStyle = QStringLiteral("JetBrains");
    prefs.authorName = QStringLiteral("Lin");
    prefs.backgroundColorR = 0.97;
    prefs.backgroundColorG = 0.96;
    prefs.backgroundColorB = 0.93;
    const QImage reference(
        QStringLiteral(CODALUME_SOURCE_DIR "/tests/render/reference/light_card.png"));
    ASSERT_FALSE(reference.isNull());
    const QImage image = paintAll(
        render(QStringLiteral(
                   "def greet(name):\n    # 问候 someone\n    return f\"Hello, {name}!\" * 3\n"),
               QStringLiteral("Python"), 1.0));
    ASSERT_EQ(image.size(), reference.size());
    const QImage expected = testing::straight(reference);
    int differing = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            differing += channelDistance(image.pixel(x, y), expected.pixel(x, y)) > 1;
        }
    }
    EXPECT_EQ(differing, 0);
}

// The optional parts on the real pixels of a light card, each against the same card without
// it: what the part draws, and that nothing else moves.
TEST_F(CodeImage, OptionalPartsDrawWhereTheyBelongAndMoveNothingElse) {
    prefs.backgroundColorR = prefs.backgroundColorG = prefs.backgroundColorB = 0.95;
    const QRgb background = QColor::fromRgbF(0.95, 0.95, 0.95).rgba();
    // Ten lines, the second empty; the third wide enough that the gutter widens the card.
    const QString code =
        QStringLiteral("first\n\n") + QString(70, u'w') + QStringLiteral("\n4\n5\n6\n7\n8\n9\nten");
    const CodePicture plain = render(code);
    const QImage plainImage = paintAll(plain);
    const double lineHeight = plain.data().lineHeight;
    const auto rowsOfLine = [&](int index) {
        return std::pair(static_cast<int>(2 * (70 + index * lineHeight)),
                         static_cast<int>(2 * (70 + (index + 1) * lineHeight)) - 1);
    };
    // Pixels that differ between two pictures of the same size, outside the given rectangles.
    const auto differsOutside = [](const QImage &a, const QImage &b, std::vector<QRect> except) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const bool skipped = std::any_of(except.begin(), except.end(),
                                                 [&](const QRect &r) { return r.contains(x, y); });
                count += !skipped && a.pixel(x, y) != b.pixel(x, y);
            }
        }
        return count;
    };

    // Line numbers: one per line, the empty one too, right-aligned in the comment gray in a
    // gutter that pushes the code (and the card's edge) right by its width.
    prefs.showLineNumbers = true;
    const CodePicture numbered = render(code);
    prefs.showLineNumbers = false;
    const auto &data = numbered.data();
    ASSERT_GT(data.gutterWidth, 0);
    EXPECT_DOUBLE_EQ(numbered.size().width(), plain.size().width() + data.gutterWidth);
    const QImage numbers = paintAll(numbered);
    const int right = static_cast<int>(2 * data.numbersRight);
    QRect first;
    QRect tenth;
    for (int index = 0; index < 10; ++index) {
        const auto [top, bottom] = rowsOfLine(index);
        const QRect digits =
            ink(numbers, QRect(80, top, right + 4 - 80, bottom - top + 1), background);
        ASSERT_TRUE(digits.isValid()) << "no number on line " << index + 1;
        EXPECT_GE(digits.right(), right - 6) << index + 1;
        EXPECT_LE(digits.right(), right) << index + 1;
        int darkest = 255;
        for (int y = digits.top(); y <= digits.bottom(); ++y) {
            for (int x = digits.left(); x <= digits.right(); ++x) {
                darkest = std::min(darkest, qGray(numbers.pixel(x, y)));
            }
        }
        EXPECT_NEAR(darkest, 128, 16) << "comment gray, line " << index + 1;
        (index == 0 ? first : tenth) = index == 0 || index == 9 ? digits : QRect();
        const QRect code =
            ink(numbers, QRect(right + 8, top, numbers.width() - right - 8, bottom - top + 1),
                background);
        EXPECT_EQ(code.isValid(), index != 1) << index + 1;
        if (code.isValid()) {
            EXPECT_NEAR(code.left(), 2 * (40 + data.gutterWidth), 4) << index + 1;
        }
    }
    EXPECT_LT(tenth.left(), first.left()) << "two digits reach further left";
    const auto [belowTop, belowBottom] = rowsOfLine(10);
    EXPECT_FALSE(
        ink(numbers, QRect(80, belowTop, right, belowBottom - belowTop), background).isValid())
        << "no number after the last line";

    // Window controls: three circles of 12 points, 8 apart, at the card's padding on the
    // label's line, and nothing else changes.
    prefs.showWindowControls = true;
    const CodePicture controlled = render(code);
    prefs.showWindowControls = false;
    const QImage controls = paintAll(controlled);
    ASSERT_EQ(controls.size(), plainImage.size());
    const int centerY = static_cast<int>(2 * plain.data().labelBox.center().y());
    const QRgb colors[] = {qRgb(0xff, 0x5f, 0x57), qRgb(0xfe, 0xbc, 0x2e), qRgb(0x28, 0xc8, 0x40)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(controls.pixel(2 * (46 + 20 * i), centerY), colors[i]) << i;
        EXPECT_EQ(controls.pixel(2 * (46 + 20 * i) + 10, centerY), colors[i]) << i;
        EXPECT_EQ(controls.pixel(2 * (46 + 20 * i) + 14, centerY), background) << "gap " << i;
    }
    EXPECT_EQ(differsOutside(controls, plainImage, {QRect(78, centerY - 14, 108, 28)}), 0);

    // Shadow: the same card in a transparent margin of 48 points, with a soft shadow that
    // falls below it, fades to nothing at the margin's edge and shows at the round corners.
    prefs.showShadow = true;
    const CodePicture shadowed = render(code);
    prefs.showShadow = false;
    const QImage shadow = paintAll(shadowed);
    ASSERT_EQ(shadow.size(), plainImage.size() + QSize(192, 192));
    const QImage card = shadow.copy(QRect(QPoint(96, 96), plainImage.size()));
    const int w = plainImage.width();
    const int h = plainImage.height();
    EXPECT_EQ(differsOutside(card, plainImage,
                             {QRect(0, 0, 24, 24), QRect(w - 24, 0, 24, 24),
                              QRect(0, h - 24, 24, 24), QRect(w - 24, h - 24, 24, 24)}),
              0)
        << "the card differs in its round corners only";
    ASSERT_EQ(qAlpha(plainImage.pixel(0, 0)), 0);
    const QRgb cornerPixel = card.pixel(0, 0);
    EXPECT_GT(qAlpha(cornerPixel), 0) << "shadow under the round corner";
    EXPECT_LT(qAlpha(cornerPixel), 200) << "the corner is not filled by the card";
    EXPECT_LT(qGray(cornerPixel), 40) << "the shadow is black";
    int edge = 0;
    for (int x = 0; x < shadow.width(); ++x) {
        edge = std::max(
            {edge, qAlpha(shadow.pixel(x, 0)), qAlpha(shadow.pixel(x, shadow.height() - 1))});
    }
    for (int y = 0; y < shadow.height(); ++y) {
        edge = std::max(
            {edge, qAlpha(shadow.pixel(0, y)), qAlpha(shadow.pixel(shadow.width() - 1, y))});
    }
    EXPECT_EQ(edge, 0) << "transparent at the margin's edge";
    const int middle = shadow.width() / 2;
    const int below = qAlpha(shadow.pixel(middle, 96 + h + 8));
    const int further = qAlpha(shadow.pixel(middle, 96 + h + 40));
    const int above = qAlpha(shadow.pixel(middle, 96 - 8));
    EXPECT_GT(below, 60);
    EXPECT_GT(below, further);
    EXPECT_GT(further, 0);
    EXPECT_LT(above, below) << "the shadow falls downwards";
    EXPECT_GT(qAlpha(shadow.pixel(96 - 8, 96 + h / 2)), 0) << "and to the sides";
}

// Code no rule paints, on the card's real pixels: on a dark start colour black or dark gray
// would vanish (the default card gave 1.3:1 and 2.2:1), so it takes the contrast colour; light
// cards keep the base colours exactly. The label and rule follow the start colour as filled.
TEST_F(CodeImage, BaseColouredCodeTakesTheContrastColourOnlyWhereItWouldVanish) {
    const QRgb white = 0xFFFFFFFF, black = 0xFF000000, darkGray = 0xFF555555;
    const struct {
        const char *why;
        double start[3];
        bool gradient;
        double end[3];
        const char *language;
        QRgb code;
        QRgb decoration;
    } cases[] = {
        {"default card, Text", {0.12, 0.12, 0.12}, false, {}, "Text", white, white},
        {"default card, identifiers of Go", {0.12, 0.12, 0.12}, false, {}, "Go", white, white},
        {"unknown language name", {0.12, 0.12, 0.12}, false, {}, "C++", white, white},
        {"light card keeps black", {0.9, 0.9, 0.9}, false, {}, "Text", black, black},
        {"light card keeps dark gray", {0.9, 0.9, 0.9}, false, {}, "Go", darkGray, black},
        {"mid gray: dark gray is too faint", {0.5, 0.5, 0.5}, false, {}, "Go", white, white},
        {"dark start decides over a white end",
         {0.12, 0.12, 0.12},
         true,
         {1, 1, 1},
         "Text",
         white,
         white},
        {"light start decides over a black end",
         {0.9, 0.9, 0.9},
         true,
         {0, 0, 0},
         "Go",
         darkGray,
         black},
        // Filled as cyan (0, 1, 1); white decoration came from the raw -1.
        {"components clamped as filled", {-1, 1, 1}, false, {}, "Go", darkGray, black},
    };
    for (const auto &c : cases) {
        prefs = UserPreferences();
        prefs.backgroundColorR = c.start[0];
        prefs.backgroundColorG = c.start[1];
        prefs.backgroundColorB = c.start[2];
        prefs.useGradientBackground = c.gradient;
        prefs.gradientEndColorR = c.end[0];
        prefs.gradientEndColorG = c.end[1];
        prefs.gradientEndColorB = c.end[2];
        const CodePicture picture =
            render(QStringLiteral("MMMM MMMM"), QString::fromUtf8(c.language));
        const QImage image = paintAll(picture);
        // The strongest ink of the first line against the card beside it (x 30 points).
        QRgb strongest = 0;
        int distance = -1;
        const int top = 2 * 70;
        const int bottom = static_cast<int>(2 * (70 + picture.data().lineHeight));
        for (int y = top; y < bottom; ++y) {
            const QRgb card = image.pixel(60, y);
            for (int x = 80; x < 400; ++x) {
                if (const int d = channelDistance(image.pixel(x, y), card); d > distance) {
                    distance = d;
                    strongest = image.pixel(x, y);
                }
            }
        }
        EXPECT_LE(channelDistance(strongest, c.code), 8)
            << c.why << ": " << QColor::fromRgba(strongest).name().toStdString();
        const int ruleRow = static_cast<int>(std::lround(2 * (picture.size().height() - 65.5)));
        EXPECT_EQ(image.pixel(500, ruleRow), c.decoration) << c.why;
    }
}

TEST_F(CodeImage, GradientRunsAlongItsDirectionOverTheWholeCard) {
    prefs.useGradientBackground = true;
    prefs.backgroundColorR = prefs.backgroundColorG = prefs.backgroundColorB = 0;
    prefs.gradientEndColorR = 1;
    prefs.gradientEndColorG = prefs.gradientEndColorB = 0;
    const struct {
        const char *direction;
        QPointF nearStart;  // fractions of the card, top-down
        QPointF nearEnd;
    } cases[] = {{"horizontal", {0.01, 0.45}, {0.99, 0.45}},
                 {"vertical", {0.3, 0.99}, {0.3, 0.01}},
                 {"", {0.3, 0.99}, {0.3, 0.01}},
                 {"sideways", {0.3, 0.99}, {0.3, 0.01}},
                 {"diagonal", {0.03, 0.9}, {0.97, 0.1}}};
    for (const auto &c : cases) {
        prefs.gradientDirection = QString::fromUtf8(c.direction);
        const QImage image = paintAll(render(QString()));
        const auto redAt = [&](QPointF f) {
            return qRed(image.pixel(static_cast<int>(f.x() * image.width()),
                                    static_cast<int>(f.y() * image.height())));
        };
        EXPECT_LT(redAt(c.nearStart), 40) << c.direction;
        EXPECT_GT(redAt(c.nearEnd), 215) << c.direction;
        EXPECT_NEAR(redAt({0.5, 0.45}), 128, 20) << c.direction;
    }
    // At 45 degrees the colour is constant across the other diagonal direction.
    prefs.gradientDirection = QStringLiteral("diagonal");
    const QImage image = paintAll(render(QString()));
    EXPECT_NEAR(qRed(image.pixel(400, 160)), qRed(image.pixel(440, 200)), 2);
    EXPECT_GT(qRed(image.pixel(440, 120)), qRed(image.pixel(400, 160)) + 10);
}

TEST_F(CodeImage, DrawsCharactersTheCodeFontLacksThroughFallback) {
    const CodePicture picture = render(QStringLiteral("😀😀 中文"));
    const QImage image = paintAll(picture);
    int colourful = 0;
    for (int y = 140; y < 140 + 60; ++y) {
        for (int x = 80; x < 200; ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            colourful += c.hsvSaturation() > 120 && c.value() > 120;
        }
    }
    EXPECT_GT(colourful, 50) << "colour emoji glyphs expected";
}

TEST_F(CodeImage, SurvivesHostileText) {
    const QString cases[] = {
        QStringLiteral("مرحبا بالعالم = 1; // שלום"),
        QString(QStringLiteral("a\0b\0\0c")),
        QString(QChar(0xD800)) + QStringLiteral("x") + QChar(0xDC00),
        QStringLiteral("\t\t\v\f\x1b[0m\r\r"),
        QString::fromUtf16(u"e\u0301\u0301\u0301\u0301 \u200d\u200d"),
    };
    for (const QString &code : cases) {
        const CodePicture picture = render(code, QStringLiteral("Swift"));
        const QImage preview = picture.previewImage(QSize(300, 300));
        EXPECT_FALSE(preview.isNull());
        EXPECT_LE(preview.width(), 300);
        EXPECT_LE(preview.height(), 300);
    }
}

struct LimitCase {
    const char *why;
    std::function<void(QString &, UserPreferences &, double &)> set;
    bool refused;
};

TEST_F(CodeImage, RefusesPicturesBeyondTheLimitsBeforeWorkingOnThem) {
    const LimitCase cases[] = {
        {"50 MB of text",
         [](QString &c, UserPreferences &, double &) { c = QString(50'000'000, u'x'); }, true},
        {"font size 100000", [](QString &, UserPreferences &p, double &) { p.fontSize = 100'000; },
         true},
        {"a 200,000-character line",
         [](QString &c, UserPreferences &, double &) { c = QString(200'000, u'x'); }, true},
        {"40,000 lines",
         [](QString &c, UserPreferences &, double &) { c = QString(40'000, u'\n'); }, true},
        {"zero scale", [](QString &, UserPreferences &, double &s) { s = 0; }, true},
        {"NaN scale", [](QString &, UserPreferences &, double &s) { s = std::nan(""); }, true},
        {"vanishing scale", [](QString &, UserPreferences &, double &s) { s = 1e-300; }, true},
        {"smallest scale", [](QString &, UserPreferences &, double &s) { s = 0.01; }, false},
        // Colour emoji glyphs are cached as one image each: huge sizes would take gigabytes.
        {"emoji at font size 600",
         [](QString &c, UserPreferences &p, double &) {
             c = QStringLiteral("x 😀");
             p.fontSize = 600;
         },
         true},
        {"font size 512 at 2x is the largest drawn",
         [](QString &, UserPreferences &p, double &) { p.fontSize = 512; }, false},
        {"font size zero uses the default",
         [](QString &, UserPreferences &p, double &) { p.fontSize = 0; }, false},
        {"negative font size", [](QString &, UserPreferences &p, double &) { p.fontSize = -5; },
         false},
    };
    for (const LimitCase &c : cases) {
        QString code = QStringLiteral("x");
        UserPreferences p;
        double scale = 2;
        c.set(code, p, scale);
        QString failure;
        std::optional<CodePicture> picture;
        const QString out = testing::capturedStdout([&] {
            picture = generateCodeImage(code, QStringLiteral("Swift"), p, scale, &failure);
        });
        EXPECT_EQ(!picture, c.refused) << c.why;
        EXPECT_EQ(failure.isEmpty(), !c.refused) << c.why;
        if (picture) {
            const QSize pixels = picture->pixelSize();
            EXPECT_LE(pixels.height(), PictureLimits::maxHeightPixels) << c.why;
            EXPECT_GE(pixels.height(), 1) << c.why;
            EXPECT_GE(pixels.width(), 5) << c.why;
        } else {
            EXPECT_TRUE(out.isEmpty()) << c.why;
        }
    }
}

TEST_F(CodeImage, TallPictureIsAtLeast300000PointsAndPaintsAnywhere) {
    const double lineHeight = render(QStringLiteral("a")).data().lineHeight;
    const auto lines = static_cast<qsizetype>(300'000 / lineHeight) + 1;
    const CodePicture picture = render(QString(lines, u'x').replace(u'x', QStringLiteral("a\n")));
    EXPECT_GE(picture.size().height(), 300'000);
    const QSize pixels = picture.pixelSize();
    QImage band(pixels.width(), 64, QImage::Format_ARGB32_Premultiplied);
    picture.paintRegion(band, QRect(0, pixels.height() - 64, pixels.width(), 64));
    EXPECT_EQ(qAlpha(band.pixel(0, 63)), 0) << "bottom-left corner";
    EXPECT_EQ(qAlpha(band.pixel(pixels.width() / 2, 10)), 255);
}

}  // namespace
}  // namespace codalume
