#include "views/view_style.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

namespace codalume::views {

namespace {

QString symbolPath(const QString &name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

}  // namespace

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

QPixmap symbolPixmap(const QString &name, QSize size, const QColor &tint, qreal devicePixelRatio) {
    QSvgRenderer renderer(symbolPath(name));
    if (!renderer.isValid() || size.isEmpty()) {
        return {};
    }
    QPixmap pixmap(QSize(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                         static_cast<int>(std::ceil(size.height() * devicePixelRatio))));
    pixmap.fill(Qt::transparent);
    // Fit, not fill: the symbol keeps its proportions and is centred in the frame.
    const QSizeF natural =
        renderer.defaultSize().isEmpty() ? QSizeF(24, 24) : QSizeF(renderer.defaultSize());
    const QSizeF fitted = natural.scaled(QSizeF(pixmap.size()), Qt::KeepAspectRatio);
    const QRectF target((pixmap.width() - fitted.width()) / 2,
                        (pixmap.height() - fitted.height()) / 2, fitted.width(), fitted.height());
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, target);
    if (tint.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), tint);
    }
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon symbolIcon(const QString &name) {
    return QFile::exists(symbolPath(name)) ? QIcon(symbolPath(name)) : QIcon();
}

QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("symbol:") + name);
    label->setFixedSize(side, side);
    label->setAlignment(Qt::AlignCenter);
    const qreal ratio = qApp != nullptr ? std::max<qreal>(2.0, qApp->devicePixelRatio()) : 2.0;
    label->setPixmap(symbolPixmap(name, QSize(side, side), tint, ratio));
    return label;
}

}  // namespace codalume::views
