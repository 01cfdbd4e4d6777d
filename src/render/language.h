// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace codalume {

// Names the language of a code text by an ordered list of substring tests. Always one of
// "Swift", "Python", "JavaScript", "Java", "C#", "Go", "Rust", "HTML", "XML", "JSON", "PHP",
// "Text".
QString detectLanguage(const QString &code);

// The twelve names detectLanguage gives, in that order.
const QStringList &languageNames();

}  // namespace codalume
