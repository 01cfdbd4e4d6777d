// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "render/highlighter.h"

namespace codalume {

// The two highlighters: the fixed rules of highlightSyntax ("rules", the default) and the
// grammar library in its helper process ("grammar").
QString rulesHighlighter();
QString grammarHighlighter();
const QStringList &highlighterNames();  // rules first

// The grammar highlighter's themes, the default first. The default keeps the rules' colours;
// the others come with the grammar library.
const QStringList &themeNames();
QString defaultThemeName();

// One language of the grammar highlighter: its usual name ("Shell", "C++"), which the label
// shows and --language takes, and the grammar that colours it.
struct GrammarLanguage {
    QString name;
    QString definition;
    QString section;         // the library's grouping ("Sources", "Scripts", "Markup", ...)
    QStringList extensions;  // file name patterns, "*.py"
};

// Starts the helper process without waiting for it, so that its start-up overlaps other work.
void prepareGrammarHighlighter();

// Every language the grammar highlighter knows, by usual name without case; asked of the
// helper once per process. Nothing, with the reason in `failure`, when the helper fails.
std::optional<std::vector<GrammarLanguage>> grammarLanguages(QString *failure);

// The names of every language the highlighter knows: the twelve of the rules, or each grammar
// language's usual name. Nothing, with the reason in `failure`, when the grammar helper fails.
std::optional<QStringList> languageNamesFor(const QString &highlighter, QString *failure);

// The usual name for `name`, a language's usual or grammar name, a common alias ("cpp",
// "sh", "golang", "yml") or a file extension only one language claims, whatever its capitals.
// Nothing for an unknown name (`failure` left empty) or when the helper fails.
std::optional<QString> grammarLanguageNamed(const QString &name, QString *failure);

// Colours the code with the grammar of the language (a usual name) in the theme. Nothing,
// with the reason in `failure`, when the helper is missing, fails or knows neither name.
std::optional<AttributedText> highlightWithGrammar(const QString &code, const QString &language,
                                                   const QString &theme, QString *failure);

// The language name of the code for the highlighter: detectLanguage's for the rules, the
// content classifier's for the grammar highlighter.
QString detectLanguageFor(const QString &code, const QString &highlighter);

}  // namespace codalume
