// SPDX-License-Identifier: MIT
#include "render/highlighter.h"

#include <unicode/parseerr.h>
#include <unicode/regex.h>
#include <unicode/utext.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "render/trace.h"

namespace codalume {

namespace {

struct HighlightRule {
    QStringList patterns;
    QColor color;
};

QColor rgbF(double red, double green, double blue) {
    return QColor::fromRgbF(red, green, blue);
}

QColor blue() {
    return rgbF(0.3, 0.7, 0.9);
}
QColor green() {
    return rgbF(0.5, 0.8, 0.5);
}
QColor orange() {
    return rgbF(0.9, 0.6, 0.3);
}
QColor amber() {
    return rgbF(0.9, 0.5, 0.3);
}
QColor gray() {
    return rgbF(0.5, 0.5, 0.5);
}
QColor darkGray() {
    return rgbF(1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0);
}

// Quoted strings with backslash escapes; shared by several groups.
const QString kDoubleQuoted = QStringLiteral(R"("[^"\\]*(?:\\.[^"\\]*)*")");
const QString kSingleQuoted = QStringLiteral(R"('[^'\\]*(?:\\.[^'\\]*)*')");

const QStringList &numberPatterns() {
    static const QStringList patterns{QStringLiteral(R"(\b[0-9]+\b)"),
                                      QStringLiteral(R"(\b[0-9]*\.[0-9]+\b)")};
    return patterns;
}

// Every brace language gets every keyword list, not only its own: the lists overlap and a
// snippet often mixes styles.
std::vector<HighlightRule> braceRules() {
    const QStringList keywords{
        QStringLiteral(
            R"(\b(func|let|var|if|else|for|while|switch|case|break|return|class|struct|enum|)"
            R"(protocol|extension|import|try|catch|guard|defer|throw|throws|in|as|is|self|super|)"
            R"(init|deinit|associatedtype|subscript|override|required|convenience|open|public|)"
            R"(internal|fileprivate|private|static|final|lazy|weak|unowned|mutating|nonmutating|)"
            R"(dynamic)\b)"),
        QStringLiteral(
            R"(\b(function|var|let|const|if|else|for|while|switch|case|break|return|class|new|)"
            R"(this|super|typeof|instanceof|try|catch|finally|throw|throws|yield|async|await|)"
            R"(import|export|from|extends|implements)\b)"),
        QStringLiteral(
            R"(\b(public|private|protected|static|final|abstract|class|interface|extends|)"
            R"(implements|enum|new|this|super|try|catch|finally|throw|throws|synchronized|)"
            R"(volatile|transient|native|strictfp|package|import)\b)"),
        QStringLiteral(
            R"(\b(using|namespace|public|private|protected|internal|sealed|abstract|virtual|)"
            R"(override|static|readonly|const|new|this|base|void|if|else|for|foreach|while|do|)"
            R"(switch|case|break|continue|return|try|catch|finally|throw|throws|checked|)"
            R"(unchecked|fixed|lock|unsafe|get|set|add|remove|value|delegate|event|async|)"
            R"(await)\b)"),
        QStringLiteral(
            R"(\b(package|import|func|interface|struct|type|map|chan|const|var|if|else|for|)"
            R"(range|switch|case|break|default|continue|goto|return|defer|go|select|)"
            R"(fallthrough)\b)"),
        QStringLiteral(
            R"(\b(fn|let|mut|const|if|else|loop|while|for|in|match|break|continue|return|)"
            R"(struct|enum|trait|impl|pub|mod|use|crate|where|unsafe|async|await|dyn|move|ref|)"
            R"(static|self|super|type)\b)"),
        QStringLiteral(
            R"(\b(function|class|interface|namespace|abstract|extends|implements|return|if|)"
            R"(else|elseif|while|do|for|foreach|switch|case|break|continue|default|goto|echo|)"
            R"(print|require|include|require_once|include_once|new|clone|var|const|public|)"
            R"(private|protected|static|final|abstract|try|catch|finally|throw)\b)"),
    };
    return {
        {keywords, blue()},
        {{kDoubleQuoted, kSingleQuoted}, green()},
        {numberPatterns(), orange()},
        {{QStringLiteral(R"(//.*$)"), QStringLiteral(R"(/\*[\s\S]*?\*/)")}, gray()},
    };
}

std::vector<HighlightRule> pythonRules() {
    return {
        {{QStringLiteral(
             R"(\b(def|class|if|else|elif|for|while|try|except|finally|with|as|import|from|)"
             R"(return|yield|break|continue|pass|raise|assert|global|nonlocal|lambda|and|or|)"
             R"(not|in|is)\b)")},
         blue()},
        {{kDoubleQuoted, kSingleQuoted}, green()},
        {numberPatterns(), orange()},
        {{QStringLiteral(R"(#.*$)")}, gray()},
    };
}

std::vector<HighlightRule> markupRules() {
    return {
        {{QStringLiteral(R"(<[^>]+>)")}, blue()},
        {{QStringLiteral(R"(\s([a-zA-Z-]+)=)")}, amber()},
        {{kDoubleQuoted, kSingleQuoted}, green()},
    };
}

std::vector<HighlightRule> jsonRules() {
    return {
        {{QStringLiteral(R"("[^"\\]*(?:\\.[^"\\]*)*"\s*:)")}, amber()},
        {{QStringLiteral(R"(:\s*"[^"\\]*(?:\\.[^"\\]*)*")")}, green()},
        {{QStringLiteral(R"(:\s*-?[0-9]+(\.[0-9]+)?([eE][+-]?[0-9]+)?)"),
          QStringLiteral(R"(:\s*(true|false|null)\b)")},
         blue()},
    };
}

std::vector<HighlightRule> rulesFor(const QString &language) {
    static const QStringList braceLanguages{QStringLiteral("Swift"), QStringLiteral("JavaScript"),
                                            QStringLiteral("Java"),  QStringLiteral("C#"),
                                            QStringLiteral("Go"),    QStringLiteral("Rust"),
                                            QStringLiteral("PHP")};
    if (braceLanguages.contains(language)) {
        return braceRules();
    }
    if (language == QStringLiteral("Python")) {
        return pythonRules();
    }
    if (language == QStringLiteral("HTML") || language == QStringLiteral("XML")) {
        return markupRules();
    }
    if (language == QStringLiteral("JSON")) {
        return jsonRules();
    }
    return {};
}

struct UTextCloser {
    void operator()(UText *text) const { utext_close(text); }
};

const UChar *icuChars(const QString &text) {
    return reinterpret_cast<const UChar *>(text.utf16());
}

// ICU counts its matching work in ticks of 10,000 steps, summed over one pass of a matcher.
// Ordinary code costs well under 10 steps per character per pattern, but some patterns rescan
// to the end of the text from every unclosed opener (thousands of "/*" without "*/" take
// seconds per 100 kB), so one pass gets a budget of a few hundred milliseconds plus 50 steps
// per character. Past it the pattern stops where it is and the failure is traced.
int32_t timeLimitFor(qsizetype length) {
    return static_cast<int32_t>(std::min<qsizetype>(2'000 + length / 200, 1'000'000));
}

void applyPattern(AttributedText &text, const QString &pattern, QRgb rgb) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    const icu::UnicodeString source(false, icuChars(pattern), static_cast<int32_t>(pattern.size()));
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(source, UREGEX_MULTILINE, parseError, status));
    if (U_FAILURE(status) || !compiled) {
        trace(QStringLiteral("正则表达式错误: ") + QString::fromLatin1(u_errorName(status)) +
              QStringLiteral(" at offset ") + QString::number(parseError.offset) +
              QStringLiteral(" of \"") + pattern + u'"');
        return;
    }
    std::unique_ptr<UText, UTextCloser> input(
        utext_openUChars(nullptr, icuChars(text.text), text.text.size(), &status));
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(status));
    if (U_FAILURE(status) || !matcher) {
        trace(QStringLiteral("正则表达式错误: ") + QString::fromLatin1(u_errorName(status)));
        return;
    }
    matcher->reset(input.get());
    matcher->setTimeLimit(timeLimitFor(text.text.size()), status);
    const auto size = static_cast<int64_t>(text.colors.size());
    while (matcher->find(status) && U_SUCCESS(status)) {
        const int64_t start = std::clamp<int64_t>(matcher->start64(status), 0, size);
        const int64_t end = std::clamp<int64_t>(matcher->end64(status), start, size);
        std::fill(text.colors.begin() + start, text.colors.begin() + end, rgb);
    }
    if (status == U_REGEX_TIME_OUT) {
        trace(QStringLiteral("正则表达式错误: ") + QString::fromLatin1(u_errorName(status)) +
              QStringLiteral(" for \"") + pattern + u'"');
    }
}

}  // namespace

QColor commentColor() {
    return gray();
}

QColor baseColor(const QString &language) {
    return language == QStringLiteral("Text") ? QColor(Qt::black) : darkGray();
}

AttributedText highlightSyntax(const QString &code, const QString &language) {
    AttributedText text{
        code, std::vector<QRgb>(static_cast<size_t>(code.size()), baseColor(language).rgba())};
    for (const HighlightRule &rule : rulesFor(language)) {
        applyHighlightRule(text, rule.patterns, rule.color);
    }
    return text;
}

void applyHighlightRule(AttributedText &text, const QStringList &patterns, QColor color) {
    // A caller-built text might not carry a colour per unit; never paint past either end.
    text.colors.resize(static_cast<size_t>(text.text.size()), QColor(Qt::black).rgba());
    for (const QString &pattern : patterns) {
        applyPattern(text, pattern, color.rgba());
    }
}

}  // namespace codalume
