// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "render/code_image.h"
#include "render/highlighter.h"

namespace codalume {

// One row of the picture: a line of the code, a range of UTF-16 units without its terminator,
// or the part of a long line that a wrap continued on a row of its own.
struct CodeLine {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype number = 0;  // the line's number, from 1; 0 on the rows that continue it
};

// The drop shadow under the card: the card's shape, moved down and blurred by a Gaussian, in
// a transparent margin around the card. The margin holds it down to nothing: at its outer edge
// the shadow is more than three blurs away from the moved card.
struct ShadowStyle {
    static constexpr double blur = 12;  // standard deviation of the Gaussian, points
    static constexpr double drop = 10;  // how far the shape is moved down, points
    static constexpr double opacity = 0.5;
    static constexpr double margin = 48;
};

// Everything a CodePicture needs to paint any part of itself. Lengths are points; the
// rectangles and lines are in top-down coordinates with the origin at the card's top-left
// corner, which lies `margin` points in from the picture's (0 without a shadow).
struct CodePicture::Data {
    QSizeF size;  // the whole picture: the card and the margin around it
    QSizeF cardSize;
    double margin = 0;
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

    // Line numbers: right-aligned with their right edge at numbersRight, in lineNumberColor;
    // the code moves right by gutterWidth (0 without numbers).
    bool lineNumbers = false;
    double gutterWidth = 0;
    double numbersRight = 0;
    QColor lineNumberColor;

    // Three circles at the top-left corner, centred on the label's line.
    bool windowControls = false;
    double windowControlsCenterY = 0;

    bool shadow = false;

    QString authorLine;
    QFont authorFont;
    QRectF authorBox;  // empty when there is no author line
    double authorDescent = 0;
    double authorWidth = 0;  // line width + 80, or 0
    double codeWidth = 0;    // textWidth + 80
};

}  // namespace codalume

class QBrush;
class QPainter;

namespace codalume {

// The margin in whole device pixels, so that the card starts on a pixel boundary.
inline int marginPixelsAt(const CodePicture::Data &data, double scale) {
    return static_cast<int>(std::lround(data.margin * scale));
}

// The radius of the card's corners, points.
inline constexpr double cardCornerRadius = 12;

// Paints everything on the card except its background (code, line numbers, window controls,
// label, rule, author line) in card points; what lies outside `visible` may be skipped. The
// rule snaps to whole device pixels at `scale`.
void paintCardContents(const CodePicture::Data &data, QPainter &painter, const QRectF &visible,
                       double scale, CodeLineLayouts *layouts = nullptr);

// The code lines' layouts kept while a picture is painted region by region: a line reaches
// into several bands, and shaping it again for each took an eighth of the painting time. Each
// also knows where its glyphs' ink lies, so it is drawn only into the bands that ink touches.
// Regions are expected top to bottom; lines above the latest one are forgotten. Without one
// kept by the caller, a region lays its lines out for itself.
class CodeLineLayouts {
  public:
    struct Line {
        QTextLayout layout;
        QRectF ink;  // where its glyphs paint, from the layout's origin, in points
    };
    // Line `index`, laid out for `data` on first use.
    const Line &line(const CodePicture::Data &data, size_t index);
    void forgetBefore(size_t index);

  private:
    std::map<size_t, std::unique_ptr<Line>> lines_;
};

// The card's solid colour or gradient, in card points.
QBrush cardBrush(const CodePicture::Data &data);

}  // namespace codalume
