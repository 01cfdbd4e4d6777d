// SPDX-License-Identifier: MIT
#include "render/code_rows.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <algorithm>
#include <memory>
#include <utility>

#include "render/text_lines.h"

namespace codalume {

namespace {

// Breaks lines into rows of at most `columns` columns, counted as the layout counts them: after
// a blank in the row's last quarter when there is one, else after the last whole character
// (grapheme cluster) that fits, and after one character at least. The text keeps its colours
// whatever the rows, as the highlighter saw the lines whole.
class LineWrapper {
  public:
    LineWrapper(const QString &text, qsizetype columns)
        : text_(text),
          source_(false, reinterpret_cast<const UChar *>(text.utf16()),
                  static_cast<int32_t>(text.size())),
          columns_(columns) {
        UErrorCode status = U_ZERO_ERROR;
        clusters_.reset(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            clusters_.reset();
        } else {
            clusters_->setText(source_);
        }
    }

    // Where the row that starts at `start` ends, in the line that ends at `end`.
    qsizetype rowEnd(qsizetype start, qsizetype end) {
        qsizetype column = 0;
        qsizetype afterBlank = -1;
        for (qsizetype i = start; i < end; ++i) {
            const QChar c = text_[i];
            column = columnAfter(column, c);
            if (column > columns_) {
                return afterBlank > start && isBoundary(afterBlank) ? afterBlank
                                                                    : hardBreak(start, i);
            }
            if ((c == u' ' || c == u'\t') && 4 * column >= 3 * columns_) {
                afterBlank = i + 1;
            }
        }
        return end;
    }

  private:
    bool isBoundary(qsizetype at) {
        return !clusters_ || clusters_->isBoundary(static_cast<int32_t>(at));
    }

    // The last cluster boundary at or before `at` (the character that did not fit) past
    // `start`, else the end of the row's first cluster.
    qsizetype hardBreak(qsizetype start, qsizetype at) {
        if (!clusters_) {
            return std::max(at, start + 1);
        }
        if (at > start && clusters_->isBoundary(static_cast<int32_t>(at))) {
            return at;
        }
        const qsizetype before =
            at > start ? clusters_->preceding(static_cast<int32_t>(at)) : start;
        return before > start ? before : clusters_->following(static_cast<int32_t>(start));
    }

    const QString &text_;
    icu::UnicodeString source_;  // the text's own units, not a copy
    std::unique_ptr<icu::BreakIterator> clusters_;
    qsizetype columns_;
};

}  // namespace

bool splitIntoRows(const QString &text, qsizetype wrapColumn, qsizetype maxRows,
                   std::vector<CodeLine> &rows) {
    std::unique_ptr<LineWrapper> wrapper;
    if (wrapColumn > 0) {
        wrapper = std::make_unique<LineWrapper>(text, wrapColumn);
    }
    qsizetype number = 0;
    // Adds the line [start, end); false once there are too many rows.
    const auto addLine = [&](qsizetype start, qsizetype end) {
        qsizetype rowNumber = ++number;
        do {
            const qsizetype rowEnd = wrapper ? wrapper->rowEnd(start, end) : end;
            rows.push_back({start, rowEnd - start, std::exchange(rowNumber, 0)});
            start = rowEnd;
        } while (start < end && static_cast<qsizetype>(rows.size()) <= maxRows);
        return static_cast<qsizetype>(rows.size()) <= maxRows;
    };
    const QChar *units = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i].unicode();
        if (unit != u'\n' && unit != u'\r' && unit != 0x2028 && unit != 0x2029) {
            continue;
        }
        if (!addLine(start, i)) {
            return false;
        }
        if (unit == u'\r' && i + 1 < size && units[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    return start >= size || addLine(start, size);
}

}  // namespace codalume
