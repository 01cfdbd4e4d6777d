#include "views/view_style.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "platform/icons.h"

namespace codalume::views {

QFont font(TextStyle style, bool bold) {
    QFont result = QApplication::font();
    const qreal body = result.pointSizeF() > 0 ? result.pointSizeF() : 10.0;
    qreal size = body;
    switch (style) {
        case TextStyle::Title:
            size = body * 1.7;
            break;
        case TextStyle::Title2:
            size = body * 1.4;
            break;
        case TextStyle::Headline:
            size = body * 1.05;
            bold = true;
            break;
        case TextStyle::Subheadline:
            size = body * 0.95;
            break;
        case TextStyle::Body:
            break;
        case TextStyle::Caption:
            size = body * 0.85;
            break;
    }
    result.setPointSizeF(size);
    result.setBold(bold);
    return result;
}

QColor secondaryTextColor() {
    return QColor(0x6E, 0x6E, 0x73);
}
QColor accentBlue() {
    return QColor(0x0A, 0x7A, 0xFF);
}
QColor symbolGray() {
    return QColor(0x8E, 0x8E, 0x93);
}
QColor successGreen() {
    return QColor(0x1F, 0x9D, 0x3A);
}
QColor failureRed() {
    return QColor(0xD7, 0x2C, 0x2C);
}

QLabel *makeLabel(const QString &text, TextStyle style, bool bold, const QColor &color,
                  QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setFont(font(style, bold));
    label->setTextFormat(Qt::PlainText);
    if (color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
    return label;
}

void addPadded(QBoxLayout *layout, QWidget *widget, int above, int below) {
    if (above > 0) {
        layout->addSpacing(above);
    }
    layout->addWidget(widget);
    if (below > 0) {
        layout->addSpacing(below);
    }
}

QPixmap tintedSymbol(const QString &name, int side, const QColor &tint, qreal devicePixelRatio) {
    QPixmap pixmap = symbolPixmap(name, side, devicePixelRatio);
    if (pixmap.isNull() || !tint.isValid()) {
        return pixmap;
    }
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), pixmap.deviceIndependentSize()), tint);
    return pixmap;
}

QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("symbol:") + name);
    label->setFixedSize(side, side);
    label->setAlignment(Qt::AlignCenter);
    const qreal ratio = qApp != nullptr ? std::max<qreal>(2.0, qApp->devicePixelRatio()) : 2.0;
    label->setPixmap(tintedSymbol(name, side, tint, ratio));
    return label;
}

}  // namespace codalume::views
