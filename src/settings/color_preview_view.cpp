// SPDX-License-Identifier: MIT
#include "settings/color_preview_view.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/ui_text.h"
#include "render/code_image.h"
#include "render/grammar.h"

namespace codalume {

std::pair<QPointF, QPointF> gradientPoints(const QString &direction) {
    if (direction == QLatin1String("horizontal")) {
        return {{0.0, 0.5}, {1.0, 0.5}};
    }
    if (direction == QLatin1String("diagonal")) {
        return {{0.0, 0.0}, {1.0, 1.0}};
    }
    return {{0.5, 0.0}, {0.5, 1.0}};
}

namespace {

// The text centred, each run of one colour in its colour.
void paintText(QPainter &painter, const QRectF &bounds, const PreviewText &text) {
    if (text.colors.size() != static_cast<size_t>(text.string.size())) {
        painter.setPen(text.foregroundColor);
        painter.drawText(bounds, Qt::AlignCenter, text.string);
        return;
    }
    const QFontMetricsF metrics(painter.font());
    QPointF at(bounds.center().x() - metrics.horizontalAdvance(text.string) / 2,
               bounds.center().y() + (metrics.ascent() - metrics.descent()) / 2);
    for (qsizetype start = 0, end = 0; start < text.string.size(); start = end) {
        while (end < text.string.size() && text.colors[end] == text.colors[start]) {
            ++end;
        }
        const QString run = text.string.mid(start, end - start);
        painter.setPen(QColor::fromRgba(text.colors[start]));
        painter.drawText(at, run);
        at.rx() += metrics.horizontalAdvance(run);
    }
}

}  // namespace

ColorPreviewView::ColorPreviewView(QWidget *parent) : QWidget(parent) {}

void ColorPreviewView::updatePreview(QObject * /*sender*/) {
    if (startColorWell.isNull() || endColorWell.isNull() || useGradientCheckbox.isNull() ||
        directionPopup.isNull() || !directionMapReverse.has_value()) {
        return;
    }
    const QString title =
        directionPopup->currentIndex() >= 0 ? directionPopup->currentText() : Ui::tr("垂直");
    const QString direction = directionMapReverse->value(title, QStringLiteral("vertical"));
    applyPreviewBackground(startColorWell->color(), endColorWell->color(),
                           useGradientCheckbox->isChecked(), direction);
    if (!highlighterPopup.isNull() && !themePopup.isNull() &&
        highlighterNames().value(highlighterPopup->currentIndex()) == grammarHighlighter()) {
        applyTheme(themePopup->currentText(), startColorWell->color());
    }
}

// A keyword, a string and a comment in the theme's colours, each readable on the start colour
// as the picture draws it. Without the grammar helper the strip keeps its plain "Sample".
void ColorPreviewView::applyTheme(const QString &theme, const RgbColor &start) {
    if (theme != sampleTheme_) {
        QString failure;
        sample_ = highlightWithGrammar(QStringLiteral("let s = \"Sample\"; // 42"),
                                       QStringLiteral("JavaScript"), theme, &failure)
                      .value_or(AttributedText{});
        sampleTheme_ = theme;
    }
    if (sample_.text.isEmpty()) {
        return;
    }
    AttributedText sample = sample_;
    makeEveryColorReadable(sample, start.toQColor(), layer_.text->foregroundColor);
    layer_.text->string = sample.text;
    layer_.text->colors = std::move(sample.colors);
}

void ColorPreviewView::applyPreviewBackground(PreviewLayer &layer, const RgbColor &start,
                                              const RgbColor &end, bool useGradient,
                                              const QString &direction) {
    layer.gradient.reset();
    if (useGradient) {
        const auto [startPoint, endPoint] = gradientPoints(direction);
        layer.gradient = PreviewGradient{start.toQColor(), end.toQColor(), startPoint, endPoint};
    } else {
        layer.backgroundColor = start.toQColor();
    }
    // The text follows the start colour only, as the picture's label does.
    layer.text = PreviewText{
        QStringLiteral("Sample"), 12.0, contrastColor(start.red, start.green, start.blue), {}};
}

void ColorPreviewView::applyPreviewBackground(const RgbColor &start, const RgbColor &end,
                                              bool useGradient, const QString &direction) {
    applyPreviewBackground(layer_, start, end, useGradient, direction);
    update();
}

void ColorPreviewView::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    QPainterPath shape;
    shape.addRoundedRect(bounds, layer_.cornerRadius, layer_.cornerRadius);

    if (layer_.backgroundColor) {
        painter.fillPath(shape, *layer_.backgroundColor);
    }
    if (layer_.gradient) {
        // Unit space grows upwards; widget coordinates grow downwards.
        const auto toWidget = [&bounds](QPointF unit) {
            return QPointF(bounds.left() + unit.x() * bounds.width(),
                           bounds.bottom() - unit.y() * bounds.height());
        };
        QLinearGradient gradient(toWidget(layer_.gradient->startPoint),
                                 toWidget(layer_.gradient->endPoint));
        gradient.setColorAt(0.0, layer_.gradient->startColor);
        gradient.setColorAt(1.0, layer_.gradient->endColor);
        painter.fillPath(shape, gradient);
    }
    if (layer_.text) {
        QFont font = painter.font();
        font.setPixelSize(qRound(layer_.text->fontSize));
        painter.setFont(font);
        paintText(painter, bounds, *layer_.text);
    }
    if (layer_.borderWidth > 0) {
        const double inset = layer_.borderWidth / 2;
        QPainterPath border;
        border.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset),
                              layer_.cornerRadius - inset, layer_.cornerRadius - inset);
        painter.setPen(QPen(layer_.borderColor, layer_.borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(border);
    }
}

}  // namespace codalume
