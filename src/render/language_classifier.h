// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace codalume {

// Names the language of a code text from its content alone for the grammar highlighter, as
// a usual name ("C++", "Go", "Shell", ...), or "Text".
QString classifyLanguage(const QString &code);

}  // namespace codalume
