#pragma once

#include <QString>

namespace codalume {

// Names the language of a code text by an ordered list of substring tests. Always one of
// "Swift", "Python", "JavaScript", "Java", "C#", "Go", "Rust", "HTML", "XML", "JSON", "PHP",
// "Text".
QString detectLanguage(const QString &code);

}  // namespace codalume
