// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QTextLayout>

#include "render/code_picture_data.h"

class QImage;
class QPaintDevice;

namespace codalume {

// A 72 dpi device: fonts measured and drawn against it get one pixel per point, so the
// painter's scale alone decides the pixel density.
QPaintDevice *pointDevice();
void setPointResolution(QImage &image);

// Lays out `text` as one unwrapped left-to-right line in `font` with `formats`, emoji in the
// colour emoji font.
void layoutTextLine(QTextLayout &layout, const QString &text, const QFont &font,
                    QList<QTextLayout::FormatRange> formats);

// The width of `text` laid out that way without formats, in points.
double textLineWidth(const QString &text, const QFont &font);

// The column after `c` when it starts at `column`: a tab advances to the next stop of four
// columns, any other character takes one (the second half of a surrogate pair none), as editors
// count them.
qsizetype columnAfter(qsizetype column, QChar c);

// Lays out one code line as a single unwrapped line with the code font, tabs expanded and (when
// `colored`) the highlight colours.
void layoutCodeLine(const CodePicture::Data &data, const CodeLine &line, QTextLayout &layout,
                    bool colored);

}  // namespace codalume
