#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>
#include <vector>

#include "render/code_image.h"
#include "render/highlighter.h"

namespace codalume {

// One line of the code: a range of UTF-16 units without its terminator.
struct CodeLine {
    qsizetype start = 0;
    qsizetype length = 0;
};

// Everything a CodePicture needs to paint any part of itself. Lengths are points; the
// rectangles and lines are in top-down coordinates (origin at the top-left corner).
struct CodePicture::Data {
    QSizeF size;
    double scale = 2.0;

    AttributedText code;
    std::vector<CodeLine> lines;
    QFont codeFont;
    double lineHeight = 0;  // the font's line spacing; lines are stacked with nothing between
    double codeAscent = 0;
    double textWidth = 0;
    double textHeight = 0;
    QPointF codeOrigin;  // top-left corner of the code block

    QColor background;
    bool gradient = false;
    QColor gradientEnd;
    QLineF gradientLine;  // start colour at p1, end colour at p2
    QColor decoration;    // label, rule and author line

    QString label;
    QFont labelFont;
    QRectF labelBox;
    double labelDescent = 0;

    QLineF rule;

    QString authorLine;
    QFont authorFont;
    QRectF authorBox;  // empty when there is no author line
    double authorDescent = 0;
    double authorWidth = 0;  // line width + 80, or 0
    double codeWidth = 0;    // textWidth + 80
};

}  // namespace codalume

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

// Lays out one code line as a single unwrapped line with the code font, tabs expanded and (when
// `colored`) the highlight colours.
void layoutCodeLine(const CodePicture::Data &data, const CodeLine &line, QTextLayout &layout,
                    bool colored);

}  // namespace codalume
