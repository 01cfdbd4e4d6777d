// SPDX-License-Identifier: MIT
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "render/card_shadow.h"
#include "render/code_image.h"
#include "render/code_picture_data.h"
#include "render/text_lines.h"

namespace codalume {

namespace {

// The raster engine paints at most 32767 device pixels in either direction; tiles stay well
// inside that so every coordinate it sees is small.
constexpr int kMaxTile = 8192;

// Window controls: three circles of 12 points, 8 points apart, the first at the padding.
constexpr double kControlDiameter = 12;
constexpr double kControlGap = 8;
constexpr double kControlsLeft = 40;
const QColor kControlColors[] = {QColor(0xff, 0x5f, 0x57), QColor(0xfe, 0xbc, 0x2e),
                                 QColor(0x28, 0xc8, 0x40)};

// Where the shadow's blur and drop are fixed.
CardShadow shadowOf(const CodePicture::Data &data, double scale) {
    const QSizeF card(std::ceil(data.cardSize.width() * scale - 1e-9) / scale,
                      std::ceil(data.cardSize.height() * scale - 1e-9) / scale);
    return {card, cardCornerRadius, ShadowStyle::blur, ShadowStyle::drop, ShadowStyle::opacity};
}

QRectF cardRect(const CodePicture::Data &data, double scale) {
    // The card covers whole device pixels, so the right and bottom edges are opaque even when
    // the measured size is fractional.
    return {0, 0, std::ceil(data.cardSize.width() * scale - 1e-9) / scale,
            std::ceil(data.cardSize.height() * scale - 1e-9) / scale};
}

void paintLineNumber(const CodePicture::Data &data, QPainter &painter, QTextLayout &layout,
                     qsizetype number, double baseline) {
    layoutTextLine(layout, QString::number(number), data.codeFont, {});
    if (layout.lineCount() == 0) {
        return;
    }
    const QTextLine line = layout.lineAt(0);
    painter.setPen(data.lineNumberColor);
    layout.draw(&painter,
                QPointF(data.numbersRight - line.naturalTextWidth(), baseline - line.ascent()));
}

void paintCode(const CodePicture::Data &data, QPainter &painter, const QRectF &visible,
               CodeLineLayouts *layouts) {
    if (data.lines.empty()) {
        return;
    }
    // Glyphs may reach past their line (tall fallback glyphs, stacked marks): one line of
    // margin on each side of the visible part.
    const double top = visible.top() - data.codeOrigin.y() - data.lineHeight;
    const double bottom = visible.bottom() - data.codeOrigin.y() + data.lineHeight;
    const auto last = static_cast<double>(data.lines.size()) - 1;
    const auto first =
        static_cast<size_t>(std::clamp(std::floor(top / data.lineHeight), 0.0, last + 1));
    const auto end =
        static_cast<size_t>(std::clamp(std::ceil(bottom / data.lineHeight), 0.0, last));
    CodeLineLayouts ownLayouts;
    CodeLineLayouts &kept = layouts ? *layouts : ownLayouts;
    kept.forgetBefore(first);
    QTextLayout numberLayout(QString(), data.codeFont, pointDevice());
    numberLayout.setCacheEnabled(false);
    for (size_t index = first; index <= end && index < data.lines.size(); ++index) {
        // Every line shares the code font's baseline, whatever fallback fonts it uses.
        const double baseline =
            data.codeOrigin.y() + static_cast<double>(index) * data.lineHeight + data.codeAscent;
        const CodeLine &line = data.lines[index];
        if (data.lineNumbers && line.number > 0) {
            paintLineNumber(data, painter, numberLayout, line.number, baseline);
        }
        if (line.length == 0) {
            continue;
        }
        const CodeLineLayouts::Line &code = kept.line(data, index);
        if (code.layout.lineCount() == 0) {
            continue;
        }
        const QPointF topLeft(data.codeOrigin.x(), baseline - code.layout.lineAt(0).ascent());
        if (code.ink.translated(topLeft).intersects(visible)) {
            code.layout.draw(&painter, topLeft);
        }
    }
}

void paintText(QPainter &painter, const QRectF &visible, const QString &text, const QFont &font,
               const QRectF &box, double descent, const QColor &color) {
    // Glyphs may overhang their box a little; skip the text only when far away.
    const double margin = box.height();
    if (text.isEmpty() || !box.adjusted(-margin, -margin, margin, margin).intersects(visible)) {
        return;
    }
    QTextLayout layout(QString(), font, pointDevice());
    layoutTextLine(layout, text, font, {});
    if (layout.lineCount() == 0) {
        return;
    }
    painter.setPen(color);
    const double baseline = box.bottom() - descent;
    layout.draw(&painter, QPointF(box.left(), baseline - layout.lineAt(0).ascent()));
}

void paintRule(const CodePicture::Data &data, QPainter &painter, const QRectF &visible,
               double scale) {
    // On whole device pixels: a 1-point line centred on a fractional coordinate would smear
    // over three rows of half-tone grey.
    const auto snap = [scale](double value) { return std::round(value * scale) / scale; };
    const double y = snap(data.rule.y1() - 0.5) + 0.5;
    const QLineF rule(snap(data.rule.x1()), y, snap(data.rule.x2()), y);
    if (!QRectF(rule.x1(), y - 1, rule.dx(), 2).intersects(visible)) {
        return;
    }
    QPen pen(data.decoration, 1);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(rule);
}

void paintWindowControls(const CodePicture::Data &data, QPainter &painter, const QRectF &visible) {
    const QRectF area(kControlsLeft, data.windowControlsCenterY - kControlDiameter / 2,
                      3 * kControlDiameter + 2 * kControlGap, kControlDiameter);
    if (!data.windowControls || !area.intersects(visible)) {
        return;
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(kControlColors[i]);
        painter.drawEllipse(QRectF(area.left() + i * (kControlDiameter + kControlGap), area.top(),
                                   kControlDiameter, kControlDiameter));
    }
    painter.restore();
}

// Clears what lies outside the rounded card, antialiased, in the four corner squares.
void clearCorners(QPainter &painter, const QRectF &card, const QRectF &visible) {
    const double r = cardCornerRadius;
    const QRectF corners[] = {
        {card.left(), card.top(), r, r},
        {card.right() - r, card.top(), r, r},
        {card.left(), card.bottom() - r, r, r},
        {card.right() - r, card.bottom() - r, r, r},
    };
    QPainterPath rounded;
    rounded.addRoundedRect(card, r, r);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRectF &corner : corners) {
        if (!corner.intersects(visible)) {
            continue;
        }
        QPainterPath outside;
        outside.addRect(corner);
        painter.fillPath(outside.subtracted(rounded), Qt::transparent);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Paints `pixelRect` (device pixels at `scale`) into `tile`, which is exactly that size.
void paintTile(const CodePicture::Data &data, QImage &tile, const QRect &pixelRect, double scale,
               CodeLineLayouts *layouts) {
    tile.fill(Qt::transparent);
    const int margin = marginPixelsAt(data, scale);
    const QRectF card = cardRect(data, scale);
    // The tile in card points: the card's top-left corner lies `margin` pixels in.
    const QRectF area((pixelRect.x() - margin) / scale, (pixelRect.y() - margin) / scale,
                      pixelRect.width() / scale, pixelRect.height() / scale);
    const QRectF visible = area.intersected(card);
    if (!visible.isEmpty()) {
        QPainter painter(&tile);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        painter.translate(margin - pixelRect.x(), margin - pixelRect.y());
        painter.scale(scale, scale);
        painter.setClipRect(visible);
        painter.fillRect(visible, cardBrush(data));
        paintCardContents(data, painter, visible, scale, layouts);
        clearCorners(painter, card, visible);
    }
    if (data.shadow) {
        // Between its rounded corners the card covers its whole width with opaque pixels.
        shadowOf(data, scale)
            .paintUnder(tile, area.topLeft(), scale,
                        card.adjusted(0, cardCornerRadius, 0, -cardCornerRadius));
    }
}

QSize pixelSizeAt(const CodePicture::Data &data, double scale) {
    const QRectF card = cardRect(data, scale);
    const int margin = marginPixelsAt(data, scale);
    return {static_cast<int>(std::lround(card.width() * scale)) + 2 * margin,
            static_cast<int>(std::lround(card.height() * scale)) + 2 * margin};
}

// Paints any rectangle of any size by tiles that share the target's memory.
void paintPixels(const CodePicture::Data &data, QImage &target, const QRect &pixelRect,
                 double scale, CodeLineLayouts *layouts = nullptr) {
    const QRect area = pixelRect.intersected(QRect(pixelRect.topLeft(), target.size()));
    const int depth = target.depth() / 8;
    for (int y = area.top(); y <= area.bottom(); y += kMaxTile) {
        for (int x = area.left(); x <= area.right(); x += kMaxTile) {
            const QRect tileRect(x, y, std::min(kMaxTile, area.right() - x + 1),
                                 std::min(kMaxTile, area.bottom() - y + 1));
            uchar *origin = target.bits() +
                            static_cast<qsizetype>(y - pixelRect.y()) * target.bytesPerLine() +
                            static_cast<qsizetype>(x - pixelRect.x()) * depth;
            QImage tile(origin, tileRect.width(), tileRect.height(), target.bytesPerLine(),
                        target.format());
            setPointResolution(tile);
            paintTile(data, tile, tileRect, scale, layouts);
        }
    }
}

}  // namespace

QBrush cardBrush(const CodePicture::Data &data) {
    if (!data.gradient) {
        return data.background;
    }
    QLinearGradient gradient(data.gradientLine.p1(), data.gradientLine.p2());
    gradient.setColorAt(0, data.background);
    gradient.setColorAt(1, data.gradientEnd);
    return gradient;
}

void paintCardContents(const CodePicture::Data &data, QPainter &painter, const QRectF &visible,
                       double scale, CodeLineLayouts *layouts) {
    paintWindowControls(data, painter, visible);
    paintCode(data, painter, visible, layouts);
    paintText(painter, visible, data.label, data.labelFont, data.labelBox, data.labelDescent,
              data.decoration);
    paintRule(data, painter, visible, scale);
    paintText(painter, visible, data.authorLine, data.authorFont, data.authorBox,
              data.authorDescent, data.decoration);
}

CodePicture::CodePicture(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

QSizeF CodePicture::size() const {
    return data_->size;
}

double CodePicture::scale() const {
    return data_->scale;
}

QSize CodePicture::pixelSize() const {
    return pixelSizeAt(*data_, data_->scale);
}

void CodePicture::paintRegion(QImage &target, const QRect &pixelRect,
                              CodeLineLayouts *layouts) const {
    if (target.isNull() || pixelRect.isEmpty() || target.depth() < 8) {
        return;
    }
    paintPixels(*data_, target, pixelRect, data_->scale, layouts);
}

const CodeLineLayouts::Line &CodeLineLayouts::line(const CodePicture::Data &data, size_t index) {
    std::unique_ptr<Line> &line = lines_[index];
    if (!line) {
        line.reset(new Line{QTextLayout(QString(), data.codeFont, pointDevice()), {}});
        QTextLayout &layout = line->layout;
        layout.setCacheEnabled(true);  // keeps the shaped glyphs for the next band
        layoutCodeLine(data, data.lines[index], layout, true);
        for (const QGlyphRun &run : layout.glyphRuns()) {
            line->ink |= run.boundingRect();
        }
        // Antialiasing reaches a pixel past the outlines.
        line->ink.adjust(-1, -1, 1, 1);
    }
    return *line;
}

void CodeLineLayouts::forgetBefore(size_t index) {
    lines_.erase(lines_.begin(), lines_.lower_bound(index));
}

QImage CodePicture::previewImage(const QSize &maxPixels) const {
    const QSize full = pixelSize();
    if (maxPixels.width() <= 0 || maxPixels.height() <= 0 || full.isEmpty()) {
        return {};
    }
    const double fitWidth = maxPixels.width() / static_cast<double>(full.width());
    double shrink =
        std::min({1.0, fitWidth, maxPixels.height() / static_cast<double>(full.height())});
    QSize bound = maxPixels;
    const double readable = std::min(1.0, readableLineHeight / data_->lineHeight);
    if (shrink < readable) {
        // Whole, the lines would be a smudge: the top of the picture instead, as wide as the
        // view allows but readable, and as much of it as a few views' worth of pixels hold.
        shrink = std::max(readable, std::min(1.0, fitWidth));
        const int width = std::min(full.width(), maxPixels.width() * 4);
        const qint64 area = static_cast<qint64>(maxPixels.width()) * maxPixels.height() * 8;
        bound = QSize(width, static_cast<int>(std::min<qint64>(area / width, full.height())));
    }
    const double scale = data_->scale * shrink;
    const QSize size = pixelSizeAt(*data_, scale).boundedTo(bound);
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    paintPixels(*data_, image, QRect(QPoint(0, 0), image.size()), scale);
    image.setDevicePixelRatio(data_->scale);
    return image;
}

}  // namespace codalume
