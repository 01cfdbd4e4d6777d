// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace codalume {

// Names the language of a code text from its content alone, with the linear model that
// tools/train_language_model.py fitted to Debian packages' code (resources/language_model.txt).
// Only the start of a long text is read (400 lines, 6,000 tokens). The result is one of
// classifierLanguages(), or "Text" when the text holds nothing the model knows (or the model
// could not be loaded). Safe to call from any thread.
QString classifyLanguage(const QString &code);

// The languages the model knows, in the model's order: "C", "C++", "C#", "Go", "Rust", "Java",
// "Kotlin", "Swift", "Objective-C", "JavaScript", "TypeScript", "Python", "Ruby", "PHP", "Perl",
// "Lua", "Shell", "SQL", "HTML", "XML", "CSS", "JSON", "YAML", "Markdown", "CMake".
const QStringList &classifierLanguages();

}  // namespace codalume
