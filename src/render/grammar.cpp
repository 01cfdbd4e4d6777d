// SPDX-License-Identifier: MIT
#include "render/grammar.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <map>
#include <mutex>

#include "render/grammar_process.h"
#include "render/grammar_protocol.h"
#include "render/language.h"
#include "render/language_classifier.h"

namespace codalume {

namespace {

namespace protocol = grammar_protocol;

// Grammar names that differ from the name people use for the language.
const std::map<QString, QString> &usualNames() {
    static const std::map<QString, QString> names{
        {QStringLiteral("Bash"), QStringLiteral("Shell")},
        {QStringLiteral("None"), QStringLiteral("Text")},
        {QStringLiteral("PHP (HTML)"), QStringLiteral("PHP")},
        {QStringLiteral("FSharp"), QStringLiteral("F#")},
        {QStringLiteral("Objective Caml"), QStringLiteral("OCaml")},
        {QStringLiteral("R Script"), QStringLiteral("R")},
        {QStringLiteral("Tcl/Tk"), QStringLiteral("Tcl")},
        {QStringLiteral("MS-DOS Batch"), QStringLiteral("Batch")},
        {QStringLiteral("INI Files"), QStringLiteral("INI")},
        {QStringLiteral("JavaScript React (JSX)"), QStringLiteral("JSX")},
        {QStringLiteral("TypeScript React (TSX)"), QStringLiteral("TSX")},
        {QStringLiteral("Fortran (Free Format)"), QStringLiteral("Fortran")},
    };
    return names;
}

// Short names people type, beyond the usual names and file extensions.
const std::map<QString, QString> &aliases() {
    static const std::map<QString, QString> names{
        {QStringLiteral("cpp"), QStringLiteral("C++")},
        {QStringLiteral("cxx"), QStringLiteral("C++")},
        {QStringLiteral("hpp"), QStringLiteral("C++")},
        {QStringLiteral("h"), QStringLiteral("C")},
        {QStringLiteral("sh"), QStringLiteral("Shell")},
        {QStringLiteral("js"), QStringLiteral("JavaScript")},
        {QStringLiteral("node"), QStringLiteral("JavaScript")},
        {QStringLiteral("ts"), QStringLiteral("TypeScript")},
        {QStringLiteral("py"), QStringLiteral("Python")},
        {QStringLiteral("python3"), QStringLiteral("Python")},
        {QStringLiteral("yml"), QStringLiteral("YAML")},
        {QStringLiteral("golang"), QStringLiteral("Go")},
        {QStringLiteral("rb"), QStringLiteral("Ruby")},
        {QStringLiteral("rs"), QStringLiteral("Rust")},
        {QStringLiteral("cs"), QStringLiteral("C#")},
        {QStringLiteral("csharp"), QStringLiteral("C#")},
        {QStringLiteral("fsharp"), QStringLiteral("F#")},
        {QStringLiteral("kt"), QStringLiteral("Kotlin")},
        {QStringLiteral("md"), QStringLiteral("Markdown")},
        {QStringLiteral("objc"), QStringLiteral("Objective-C")},
        {QStringLiteral("obj-c"), QStringLiteral("Objective-C")},
        {QStringLiteral("pl"), QStringLiteral("Perl")},
        {QStringLiteral("ps1"), QStringLiteral("PowerShell")},
        {QStringLiteral("pwsh"), QStringLiteral("PowerShell")},
        {QStringLiteral("txt"), QStringLiteral("Text")},
        {QStringLiteral("plain"), QStringLiteral("Text")},
        {QStringLiteral("docker"), QStringLiteral("Dockerfile")},
        {QStringLiteral("make"), QStringLiteral("Makefile")},
        {QStringLiteral("tex"), QStringLiteral("LaTeX")},
        {QStringLiteral("bat"), QStringLiteral("Batch")},
    };
    return names;
}

// The grammar for a usual name. PHP copied from the middle of a file has no "<?php" and is
// all PHP; with one, what stands outside the tags is HTML.
QString definitionFor(const QString &language, const QString &code) {
    if (language == u"PHP" && !code.contains(QStringLiteral("<?"))) {
        return QStringLiteral("PHP/PHP");
    }
    for (const auto &[definition, usual] : usualNames()) {
        if (usual == language) {
            return definition;
        }
    }
    return language;
}

QDataStream &versioned(QDataStream &stream) {
    stream.setVersion(QDataStream::Qt_5_15);
    return stream;
}

// Time allowed for one exchange: the helper's start-up, and more for long texts (the grammar
// library takes about 10 ms per 1,000 lines of ordinary code).
int timeoutFor(qsizetype units) {
    return static_cast<int>(std::min<qsizetype>(5'000 + units / 100, 120'000));
}

// The reply's payload after an ok status; nothing, with the reason, for a failure.
std::optional<QByteArray> ask(const QByteArray &request, int timeoutMs, QString *failure) {
    std::optional<QByteArray> reply =
        GrammarProcess::instance().exchange(request, timeoutMs, failure);
    if (!reply) {
        return std::nullopt;
    }
    if (reply->isEmpty() || static_cast<quint8>(reply->at(0)) != protocol::ok) {
        QDataStream in(reply->mid(1));
        QString reason;
        versioned(in) >> reason;
        *failure = QStringLiteral("the grammar highlighter failed: %1")
                       .arg(reason.isEmpty() ? QStringLiteral("malformed reply") : reason);
        return std::nullopt;
    }
    return reply->mid(1);
}

QByteArray command(quint8 code) {
    return QByteArray(1, static_cast<char>(code));
}

std::optional<std::vector<GrammarLanguage>> readLanguages(const QByteArray &payload,
                                                          QString *failure) {
    QDataStream in(payload);
    quint32 count = 0;
    versioned(in) >> count;
    std::vector<GrammarLanguage> languages;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        GrammarLanguage language;
        quint8 hidden = 0;
        quint32 patterns = 0;
        in >> language.definition >> language.section >> hidden >> patterns;
        for (quint32 j = 0; j < patterns && in.status() == QDataStream::Ok; ++j) {
            QString pattern;
            in >> pattern;
            language.extensions.append(pattern);
        }
        const auto usual = usualNames().find(language.definition);
        language.name = usual == usualNames().end() ? language.definition : usual->second;
        if (hidden == 0) {
            languages.push_back(std::move(language));
        }
    }
    if (in.status() != QDataStream::Ok) {
        *failure = QStringLiteral("the grammar highlighter sent a malformed list of languages");
        return std::nullopt;
    }
    std::sort(languages.begin(), languages.end(), [](const auto &a, const auto &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return languages;
}

// The language whose only claim a pattern "*.ext" is; nothing when none or several claim it.
const GrammarLanguage *byExtension(const std::vector<GrammarLanguage> &languages,
                                   const QString &name) {
    const GrammarLanguage *found = nullptr;
    const QString pattern = QStringLiteral("*.") + name;
    for (const GrammarLanguage &language : languages) {
        if (language.extensions.contains(pattern, Qt::CaseInsensitive)) {
            if (found != nullptr) {
                return nullptr;
            }
            found = &language;
        }
    }
    return found;
}

}  // namespace

QString rulesHighlighter() {
    return QStringLiteral("rules");
}

QString grammarHighlighter() {
    return QStringLiteral("grammar");
}

const QStringList &highlighterNames() {
    static const QStringList names{rulesHighlighter(), grammarHighlighter()};
    return names;
}

const QStringList &themeNames() {
    // The library's themes as Debian 12 ships them; a test checks the helper offers each.
    static const QStringList names{
        QStringLiteral("Codalume"),       QStringLiteral("Atom One Dark"),
        QStringLiteral("Atom One Light"), QStringLiteral("Breeze Dark"),
        QStringLiteral("Breeze Light"),   QStringLiteral("Dracula"),
        QStringLiteral("Falcon"),         QStringLiteral("GitHub Dark"),
        QStringLiteral("GitHub Light"),   QStringLiteral("Monokai"),
        QStringLiteral("Nord"),           QStringLiteral("Oblivion"),
        QStringLiteral("Printing"),       QStringLiteral("Radical"),
        QStringLiteral("Solarized Dark"), QStringLiteral("Solarized Light"),
        QStringLiteral("Vim Dark"),       QStringLiteral("ayu Dark"),
        QStringLiteral("ayu Light"),      QStringLiteral("ayu Mirage"),
        QStringLiteral("gruvbox Dark"),   QStringLiteral("gruvbox Light"),
    };
    return names;
}

QString defaultThemeName() {
    return themeNames().first();
}

void prepareGrammarHighlighter() {
    GrammarProcess::instance().prepare();
}

std::optional<std::vector<GrammarLanguage>> grammarLanguages(QString *failure) {
    static std::mutex mutex;
    static std::optional<std::vector<GrammarLanguage>> known;
    const std::lock_guard lock(mutex);
    if (!known) {
        const std::optional<QByteArray> payload =
            ask(command(protocol::definitions), timeoutFor(0), failure);
        known = payload ? readLanguages(*payload, failure) : std::nullopt;
    }
    return known;
}

std::optional<QStringList> languageNamesFor(const QString &highlighter, QString *failure) {
    if (highlighter != grammarHighlighter()) {
        return languageNames();
    }
    const std::optional<std::vector<GrammarLanguage>> languages = grammarLanguages(failure);
    if (!languages) {
        return std::nullopt;
    }
    QStringList names;
    for (const GrammarLanguage &language : *languages) {
        names << language.name;
    }
    return names;
}

std::optional<QString> grammarLanguageNamed(const QString &name, QString *failure) {
    const std::optional<std::vector<GrammarLanguage>> languages = grammarLanguages(failure);
    if (!languages) {
        return std::nullopt;
    }
    for (const GrammarLanguage &language : *languages) {
        if (language.name.compare(name, Qt::CaseInsensitive) == 0 ||
            language.definition.compare(name, Qt::CaseInsensitive) == 0) {
            return language.name;
        }
    }
    const auto alias = aliases().find(name.toLower());
    if (alias != aliases().end()) {
        return alias->second;
    }
    if (const GrammarLanguage *language = byExtension(*languages, name)) {
        return language->name;
    }
    return std::nullopt;
}

std::optional<AttributedText> highlightWithGrammar(const QString &code, const QString &language,
                                                   const QString &theme, QString *failure) {
    QByteArray request = command(protocol::highlight);
    {
        QDataStream out(&request, QIODevice::Append);
        versioned(out) << definitionFor(language, code) << theme << code;
    }
    const std::optional<QByteArray> payload = ask(request, timeoutFor(code.size()), failure);
    if (!payload) {
        return std::nullopt;
    }
    QDataStream in(*payload);
    quint32 color = 0;
    quint32 count = 0;
    versioned(in) >> color >> count;
    AttributedText text{code, std::vector<QRgb>(static_cast<size_t>(code.size()), color)};
    const auto size = static_cast<quint64>(code.size());
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        quint32 start = 0;
        quint32 length = 0;
        quint32 runColor = 0;
        in >> start >> length >> runColor;
        // A run past the end would write beyond the colours; it can only be a broken reply.
        const quint64 end = std::min<quint64>(quint64(start) + length, size);
        if (start < end) {
            std::fill(text.colors.begin() + start, text.colors.begin() + end, runColor);
        }
    }
    if (in.status() != QDataStream::Ok) {
        *failure = QStringLiteral("the grammar highlighter sent a malformed reply");
        return std::nullopt;
    }
    return text;
}

QString detectLanguageFor(const QString &code, const QString &highlighter) {
    return highlighter == grammarHighlighter() ? classifyLanguage(code) : detectLanguage(code);
}

}  // namespace codalume
