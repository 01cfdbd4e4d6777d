// SPDX-License-Identifier: MIT
#include "settings/color_preview_view.h"

#include <QPainter>
#include <QPainterPath>

#include "render/code_image.h"

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

ColorPreviewView::ColorPreviewView(QWidget *parent) : QWidget(parent) {}

void ColorPreviewView::updatePreview(QObject * /*sender*/) {
    if (startColorWell.isNull() || endColorWell.isNull() || useGradientCheckbox.isNull() ||
        directionPopup.isNull() || !directionMapReverse.has_value()) {
        return;
    }
    const QString title = directionPopup->currentIndex() >= 0 ? directionPopup->currentText()
                                                              : QStringLiteral("垂直");
    const QString direction = directionMapReverse->value(title, QStringLiteral("vertical"));
    applyPreviewBackground(startColorWell->color(), endColorWell->color(),
                           useGradientCheckbox->isChecked(), direction);
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
    layer.text = PreviewText{QStringLiteral("Sample"), 12.0,
                             contrastColor(start.red, start.green, start.blue)};
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
        painter.setPen(layer_.text->foregroundColor);
        painter.drawText(bounds, Qt::AlignCenter, layer_.text->string);
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
