#include <gtest/gtest.h>

#include "render/highlighter.h"
#include "render_test_support.h"
#include "support/param_names.h"

namespace codalume {
namespace {

// One letter per UTF-16 unit: b black, d dark gray, k blue, s green, n orange, a amber,
// c gray.
QRgb colorOf(char letter) {
    switch (letter) {
        case 'b':
            return QColor(Qt::black).rgba();
        case 'd':
            return QColor::fromRgbF(1.0 / 3, 1.0 / 3, 1.0 / 3).rgba();
        case 'k':
            return QColor::fromRgbF(0.3, 0.7, 0.9).rgba();
        case 's':
            return QColor::fromRgbF(0.5, 0.8, 0.5).rgba();
        case 'n':
            return QColor::fromRgbF(0.9, 0.6, 0.3).rgba();
        case 'a':
            return QColor::fromRgbF(0.9, 0.5, 0.3).rgba();
        case 'c':
            return QColor::fromRgbF(0.5, 0.5, 0.5).rgba();
    }
    ADD_FAILURE() << "unknown mask letter " << letter;
    return 0;
}

char letterOf(QRgb color) {
    for (char letter : {'b', 'd', 'k', 's', 'n', 'a', 'c'}) {
        if (colorOf(letter) == color) {
            return letter;
        }
    }
    return '?';
}

struct HighlightCase {
    const char *why;
    const char *language;
    const char16_t *code;
    const char *mask;
};

CODALUME_PRINT_CASE_AS(HighlightCase, why)

class HighlightSyntax : public ::testing::TestWithParam<HighlightCase> {};

TEST_P(HighlightSyntax, PaintsEveryUnit) {
    const HighlightCase &c = GetParam();
    const QString code = QString::fromUtf16(c.code);
    const AttributedText text = highlightSyntax(code, QString::fromUtf8(c.language));
    ASSERT_EQ(text.text, code);
    ASSERT_EQ(text.colors.size(), static_cast<size_t>(code.size()));
    std::string painted;
    for (QRgb color : text.colors) {
        painted += letterOf(color);
    }
    EXPECT_EQ(painted, std::string(c.mask)) << c.why;
}

const HighlightCase kBase[] = {
    {"Text takes no rules", "Text", u"let x = \"1\"", "bbbbbbbbbbb"},
    {"unknown name is dark gray", "swift", u"let x = 1", "ddddddddd"},
    {"empty text", "Swift", u"", ""},
};
INSTANTIATE_TEST_SUITE_P(Base, HighlightSyntax, ::testing::ValuesIn(kBase),
                         testing::NamedBy<&HighlightCase::why>());

const HighlightCase kBrace[] = {
    {"every keyword list applies", "Swift", u"go map this new range", "kkdkkkdkkkkdkkkdkkkkk"},
    {"whole words, case-sensitive", "Java", u"Class classy class _class",
     "dddddddddddddkkkkkddddddd"},
    {"keyword and number in a string", "JavaScript", u"a = \"if 42\";", "ddddssssnnsd"},
    {"line comment ends at the line end", "Go", u"x // if\ny", "ddcccccdd"},
    {"string in a comment is gray", "Rust", u"// \"s\" 1", "cccccccc"},
    {"// inside a string greys the rest", "C#", u"x = \"a // b\" + 1", "ddddsssccccccccc"},
    {"block comment spans lines, first end wins", "PHP", u"/* a\nif */ if */", "ccccccccccdkkddd"},
    {"string spans lines, escaped quote inside", "Swift", u"\"a\\\"b\nc\" x", "ssssssssdd"},
    {"numbers: whole and decimal, not inside words or after a bare point", "Java", u"3.14 x1 12 .5",
     "nnnnddddnnddn"},
    {"non-BMP, tab and CRLF", "Swift", u"😀\tif\r\nx // 😀\r\nlet", "dddkkddddcccccddkkk"},
};
INSTANTIATE_TEST_SUITE_P(Brace, HighlightSyntax, ::testing::ValuesIn(kBrace),
                         testing::NamedBy<&HighlightCase::why>());

const HighlightCase kOthers[] = {
    {"python keywords and strings", "Python", u"def f(): return 'x'", "kkkddddddkkkkkkdsss"},
    {"python comment starts inside a string", "Python", u"s = \"a # b\"", "ddddssscccc"},
    {"python comment ends at the line end", "Python", u"# c\r\nif", "cccddkk"},
    {"markup tag, attribute and value", "HTML", u"<a href=\"x\">t</a>", "kkaaaaaassskdkkkk"},
    {"markup in XML too", "XML", u"<k v='1'/>", "kkaaassskk"},
    {"JSON keys and values", "JSON",
     u"{\"k\": \"v\", \"n\": -1.5e3, \"t\": true, \"a\": [1, \"x\"]}",
     "daaasssssddaaakkkkkkkkddaaakkkkkkddaaaadddddddddd"},
};
INSTANTIATE_TEST_SUITE_P(Others, HighlightSyntax, ::testing::ValuesIn(kOthers),
                         testing::NamedBy<&HighlightCase::why>());

TEST(ApplyHighlightRule, TracesAPatternThatDoesNotCompileAndGoesOn) {
    AttributedText text{QStringLiteral("abcb"), std::vector<QRgb>(4, QColor(Qt::black).rgba())};
    const QColor red(Qt::red);
    const QString out = testing::capturedStdout([&] {
        applyHighlightRule(text, {QStringLiteral("(b"), QStringLiteral("b")}, red);
    });
    EXPECT_TRUE(out.startsWith(QStringLiteral("正则表达式错误: U_REGEX_MISMATCHED_PAREN")))
        << out.toStdString();
    EXPECT_EQ(out.count(u'\n'), 1);
    EXPECT_EQ(text.colors, (std::vector<QRgb>{QColor(Qt::black).rgba(), red.rgba(),
                                              QColor(Qt::black).rgba(), red.rgba()}));
}

TEST(ApplyHighlightRule, AnchorsMatchAtEveryLineAndPaintsWholeMatches) {
    AttributedText text{QStringLiteral("ab\nab\r\nxab"),
                        std::vector<QRgb>(10, QColor(Qt::black).rgba())};
    applyHighlightRule(text, {QStringLiteral("^a(b)")}, QColor(Qt::red));
    std::string painted;
    for (QRgb color : text.colors) {
        painted += color == QColor(Qt::red).rgba() ? 'r' : '.';
    }
    EXPECT_EQ(painted, "rr.rr.....");
}

}  // namespace
}  // namespace codalume
