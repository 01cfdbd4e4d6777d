// SPDX-License-Identifier: MIT
#include "settings/color_well.h"

#include <QColorDialog>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/ui_text.h"

namespace codalume {

namespace {

quint16 toChannel(double component) {
    if (std::isnan(component)) {
        return 0;
    }
    return static_cast<quint16>(std::lround(std::clamp(component, 0.0, 1.0) * 65535.0));
}

}  // namespace

QColor RgbColor::toQColor() const {
    return QColor::fromRgba64(toChannel(red), toChannel(green), toChannel(blue));
}

RgbColor RgbColor::fromQColor(const QColor &color) {
    // Through 16-bit integers: QColor's float accessors would turn 0.2 into 0.200000003.
    const QRgba64 rgba = color.toRgb().rgba64();
    return {rgba.red() / 65535.0, rgba.green() / 65535.0, rgba.blue() / 65535.0};
}

ColorWell::ColorWell(QWidget *parent) : QPushButton(parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ColorWell::chooseColor);
}

void ColorWell::setColor(const RgbColor &color) {
    color_ = color;
    update();
}

void ColorWell::pickColor(const RgbColor &color) {
    setColor(color);
    emit colorChanged();
}

void ColorWell::chooseColor() {
    const QColor chosen = QColorDialog::getColor(color_.toQColor(), this, Ui::tr("选择颜色"));
    if (chosen.isValid()) {
        pickColor(RgbColor::fromQColor(chosen));
    }
}

void ColorWell::paintEvent(QPaintEvent *event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(5, 5, -5, -5);
    painter.fillRect(swatch, color_.toQColor());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

}  // namespace codalume
