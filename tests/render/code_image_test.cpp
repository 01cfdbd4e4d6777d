// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <csignal>
#include <cstring>
#include <set>

#include "render/code_image.h"
#include "render/code_picture_data.h"
#include "render/grammar.h"
#include "render/grammar_process.h"
#include "render/language.h"
#include "render/png_encoder.h"
#include "settings/preferences_file.h"

namespace codalume {
namespace {

// Deletes the application after the last test, so leak checkers see a clean exit.
struct GuiApplicationCleanup : ::testing::Environment {
    void TearDown() override { delete qGuiApp; }
};
::testing::Environment *const kGuiApplicationCleanup =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationCleanup);

// Renders with the trace lines kept in `trace` instead of printed. Fonts need a
// QGuiApplication: the first call makes one, off screen, for the whole program.
std::optional<CodePicture> render(const QString &code, const QString &language = "Text",
                                  const UserPreferences &prefs = {}, double scale = 2,
                                  QString *trace = nullptr) {
    static int argc = 1;
    static char name[] = "render_tests";
    static char *argv[] = {name, nullptr};
    if (!qGuiApp) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
    ::testing::internal::CaptureStdout();
    std::optional<CodePicture> picture = generateCodeImage(code, language, prefs, scale);
    const std::string out = ::testing::internal::GetCapturedStdout();
    if (trace != nullptr) {
        *trace = QString::fromStdString(out);
    }
    return picture;
}

// Pixels that differ by more than rounding in any channel, compared premultiplied (straight
// colours of faint edge pixels differ by more than their rounding); -1 when the sizes differ.
int differingPixels(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int count = x.size() == y.size() ? 0 : -1;
    for (int row = 0; count >= 0 && row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            count += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                               std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))}) > 1;
        }
    }
    return count;
}

QImage decode(const std::optional<QByteArray> &png) {
    QBuffer buffer;
    buffer.setData(png.value_or(QByteArray()));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(1024);  // MB: the tall test picture is bigger than the default
    return reader.read();
}

// Each reference/NAME.png was made with `codalume render NAME.txt --preferences NAME.json
// --scale 1` and looked at: a change of the card's padding, corner radius, label, rule, author
// line, colours, fonts or optional parts shows as differing pixels. light_card: a plain light
// card. all_parts: a hidden name and an empty WeChat, a tab, an emoji, an empty line and a line
// that widens the card, on a diagonal gradient with every optional part. Code no rule paints
// takes the contrast colour where black or dark gray would vanish on the card (the default card
// gave 1.3:1), and label and rule follow the start colour as filled: text_on_default_card (black
// Text turns white; a direction the program does not know runs bottom to top), go_on_mid_gray
// (dark gray turns white), light_to_black (black kept: the start colour counts, not the end;
// bottom to top), cyan_unclamped (a component below 0 drawn as 0; left to right). wrapped: lines
// past 40 columns go on unnumbered rows, broken after a blank near the end, else between
// characters (the accent stays on its letter), a string and a comment keep their colour across
// the break, and the gutter fits five numbers, not ten rows.
TEST(CodeImage, MatchesTheReferencePictures) {
    const QDir folder(QStringLiteral(CODALUME_SOURCE_DIR "/tests/render/reference"));
    const QStringList names = folder.entryList({"*.png"});
    ASSERT_EQ(names.size(), 7);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const auto read = [&](const char *extension) {
            QFile file(folder.filePath(QString(name).replace(".png", extension)));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QString code = QString::fromUtf8(read(".txt"));
        const CodePicture picture =
            render(code, detectLanguage(code), decodePreferences(read(".json")).value(), 1).value();
        QImage image(picture.pixelSize(), QImage::Format_ARGB32_Premultiplied);
        picture.paintRegion(image, image.rect());
        EXPECT_EQ(differingPixels(image, QImage(folder.filePath(name))), 0);
    }
}

TEST(CodeImage, CountsLinesAtEveryTerminatorButNotATrailingOne) {
    const std::pair<const char16_t *, int> rows[] = {
        {u"", 0},         {u"a\n", 1},         {u"\n\n", 2},
        {u"a\r\nb", 2},   {u"a\rb\u2028c", 3}, {u"a\u2029\r\n", 2},
        {u"a\r\n\r\n", 2}};
    for (const auto &[code, lines] : rows) {
        SCOPED_TRACE(QString::fromUtf16(code).toStdString());
        const CodePicture picture = render(QString::fromUtf16(code)).value();
        EXPECT_DOUBLE_EQ(picture.size().height(), lines * picture.data().lineHeight + 160);
    }
}

// Refusals come before any work, so without a trace line.
TEST(CodeImage, RefusesPicturesBeyondTheLimitsOnly) {
    UserPreferences prefs;
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
        EXPECT_EQ(!render(row.code, "Swift", prefs, row.scale, &trace), row.refused);
        EXPECT_EQ(trace.isEmpty(), row.refused);
    }
}

// The PNG is written in bands: each must hold the pixels a direct paint gives, past the 32767
// pixels of QImage and QPainter too; the shadow, the numbers and the lines' glyphs must not
// start anew or end at a band's edge.
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
        const std::optional<CodePicture> picture = render(code, "Swift", allParts);
        ASSERT_TRUE(picture);
        const QImage decoded = decode(encodePng(Picture(*picture)));
        ASSERT_EQ(decoded.size(), picture->pixelSize());
        const int w = decoded.width();
        const int h = decoded.height();
        // The first of them whole, across many band boundaries: a line drawn only into the
        // bands its glyphs reach must lose none of them.
        for (const QRect &area : {QRect(0, 0, 4'000, 2'000), QRect(w - 300, h - 200, 300, 200),
                                  QRect(0, 32'700, 300, 140), QRect(16'330, 130, 200, 60)}) {
            const QRect inside = area.intersected(decoded.rect());
            if (inside.isEmpty()) {
                continue;
            }
            QImage direct(inside.size(), QImage::Format_ARGB32_Premultiplied);
            picture->paintRegion(direct, inside);
            EXPECT_EQ(differingPixels(decoded.copy(inside), direct), 0)
                << area.x() << ',' << area.y();
        }
    }
}

// The pictures people share are compressed thoroughly, on a solid card and on a gradient with
// a shadow, where the fast levels fall far behind; taller ones faster, but still below zlib's own
// fast level (the same rows, unfiltered, at level 2). A level mixed up or a compressor left at
// "store" shows here.
TEST(PngOfCodePicture, CompressionSuitsThePictureSize) {
    const QString line =
        QStringLiteral("    const total = items.reduce((sum, x) => sum + x.cost, 0);\n");
    UserPreferences smooth;
    smooth.useGradientBackground = smooth.showShadow = true;
    const struct {
        const char *why;
        int lines;
        UserPreferences preferences;
        double bound;  // the file's size against zlib level 2's
    } rows[] = {{"a screenful", 60, {}, 0.89},
                {"a screenful on a gradient, with a shadow", 40, smooth, 0.845},
                {"a tall picture, over 4 megapixels", 120, smooth, 0.89}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.why);
        const std::optional<CodePicture> picture =
            render(line.repeated(row.lines), "JavaScript", row.preferences);
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
        EXPECT_LT(static_cast<double>(png->size()), row.bound * static_cast<double>(fast))
            << rgba.width() * rgba.height() << " pixels";
    }
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

QImage painted(const CodePicture &picture) {
    QImage image(picture.pixelSize(), QImage::Format_ARGB32_Premultiplied);
    picture.paintRegion(image, image.rect());
    return image;
}

UserPreferences grammarPreferences(const QString &theme = "Codalume") {
    GrammarProcess::instance().setProgram(CODALUME_GRAMMAR_HELPER);
    UserPreferences prefs;
    prefs.highlighter = "grammar";
    prefs.theme = theme;
    return prefs;
}

// An apostrophe in a comment (or a Rust lifetime) must not open a string that paints the lines
// after it: only the pixel rows of its own line (the second) change when it is left out.
TEST(GrammarHighlighter, AnApostropheInACommentChangesOnlyItsOwnLine) {
    const std::pair<const char *, const char *> rows[] = {
        {"C++", "int a = 1;\n// it's here\nint b = 2;\nchar c = 'x';\n"},
        {"Python", "a = 1\n# it's here\nb = 'x'\nc = 2\n"},
        {"Rust", "let a = 1;\nfn f<'a>(x: &'a str) {}\nlet b = \"x\";\nlet c = 2;\n"},
        {"Shell", "a=1\n# it's here\nb='x'\nc=2\n"},
    };
    for (const auto &[language, code] : rows) {
        SCOPED_TRACE(language);
        const CodePicture with = render(code, language, grammarPreferences(), 1).value();
        QStringList lines = QString(code).split('\n');
        lines[1].replace('\'', ' ');
        const QImage without =
            painted(render(lines.join('\n'), language, grammarPreferences(), 1).value());
        const QImage image = painted(with);
        const double top = with.data().codeOrigin.y() + with.data().lineHeight;
        for (int y = 0; y < image.height(); ++y) {
            const bool changed = std::memcmp(image.constScanLine(y), without.constScanLine(y),
                                             static_cast<size_t>(image.bytesPerLine())) != 0;
            EXPECT_TRUE(!changed || (y >= top - 1 && y <= top + with.data().lineHeight + 1))
                << "row " << y;
        }
    }
}

// Every theme offered exists in the helper and colours differently; the default one keeps the
// rules' colours; a theme's colours that cannot be read on the card (dark ones on the default
// dark card) take the contrast colour, not only its normal text colour.
TEST(GrammarHighlighter, ThemesChangeTheColoursAndStayReadable) {
    const QString code = "def f(x):\n    return x + 1  # one\n";
    std::set<std::vector<QRgb>> seen;
    for (const QString &theme : themeNames()) {
        SCOPED_TRACE(theme.toStdString());
        const CodePicture picture = render(code, "Python", grammarPreferences(theme)).value();
        seen.insert(picture.data().code.colors);
        for (const QRgb color : picture.data().code.colors) {
            // 3:1 on this card needs a luminance of 0.14: a gray level above 60 in any hue.
            EXPECT_GT(qGray(color), 60) << std::hex << color;
        }
    }
    EXPECT_EQ(seen.size(), themeNames().size());
    EXPECT_EQ(render(code, "Python", grammarPreferences()).value().data().code.colors,
              render(code, "Python").value().data().code.colors);
}

// A helper that is missing, ends or never answers is reported with the reason, promptly; one
// that died between two pictures is started again.
TEST(GrammarHighlighter, ReportsABrokenHelperAndRestartsADeadOne) {
    ASSERT_TRUE(render("x", "C", grammarPreferences()));
    const pid_t first = GrammarProcess::instance().processId();
    ::kill(first, SIGKILL);
    EXPECT_TRUE(render("x", "C", grammarPreferences()));
    EXPECT_NE(GrammarProcess::instance().processId(), first);
    const std::pair<const char *, const char *> rows[] = {
        {"/nonexistent/codalume-grammar",
         "the grammar highlighter is not installed: /nonexistent/codalume-grammar is missing"},
        {"/bin/true", "the grammar highlighter stopped unexpectedly (exited with status 0)"},
        {"/usr/bin/tail", "the grammar highlighter did not answer within 5 s"},
    };
    for (const auto &[program, reason] : rows) {
        GrammarProcess::instance().setProgram(program);
        UserPreferences prefs;
        prefs.highlighter = "grammar";
        QString failure;
        EXPECT_FALSE(generateCodeImage("x", "C", prefs, 1, &failure));
        EXPECT_EQ(failure, reason);
    }
}

}  // namespace
}  // namespace codalume
