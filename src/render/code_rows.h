// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <vector>

#include "render/code_picture_data.h"

namespace codalume {

// Splits the code into the picture's rows: a line ends at \n, \r\n, \r, U+2028 and U+2029 (a
// terminator at the very end adds no empty line, so the empty text has no lines at all), and
// with `wrapColumn` above 0 a line longer than that many columns continues on unnumbered rows.
// Stops early (returns false) once the rows alone would be more than `maxRows`.
bool splitIntoRows(const QString &text, qsizetype wrapColumn, qsizetype maxRows,
                   std::vector<CodeLine> &rows);

}  // namespace codalume
