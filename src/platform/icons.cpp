// SPDX-License-Identifier: MIT
#include "platform/icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <algorithm>

namespace codalume {

namespace {

QString symbolPath(const QString &symbol) {
    return QStringLiteral(":/icons/") + symbol + QStringLiteral(".svg");
}

QColor paletteColour(QIcon::Mode mode) {
    const QPalette palette = QGuiApplication::palette();
    switch (mode) {
        case QIcon::Disabled:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case QIcon::Selected:
            return palette.color(QPalette::HighlightedText);
        case QIcon::Normal:
        case QIcon::Active:
            break;
    }
    return palette.color(QPalette::WindowText);
}

// Asked for pixels at each paint, so a palette changed meanwhile shows at once.
class SymbolIconEngine : public QIconEngine {
  public:
    explicit SymbolIconEngine(QString symbol) : symbol_(std::move(symbol)) {}

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override {
        return symbolPixmap(symbol_, std::min(size.width(), size.height()), 1.0,
                            paletteColour(mode));
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        QRect square(0, 0, std::min(rect.width(), rect.height()),
                     std::min(rect.width(), rect.height()));
        square.moveCenter(rect.center());
        painter->drawPixmap(square, pixmap(square.size() * ratio, mode, state));
    }
    QIconEngine *clone() const override { return new SymbolIconEngine(symbol_); }

  private:
    QString symbol_;
};

}  // namespace

bool hasSymbol(const QString &symbol) {
    // A name with a slash could step out of the icon folder.
    return !symbol.isEmpty() && !symbol.contains(u'/') && QFile::exists(symbolPath(symbol));
}

QIcon symbolIcon(const QString &symbol) {
    return hasSymbol(symbol) ? QIcon(new SymbolIconEngine(symbol)) : QIcon();
}

QPixmap symbolPixmap(const QString &symbol, int size, qreal devicePixelRatio, const QColor &tint) {
    if (!hasSymbol(symbol) || size <= 0) {
        return {};
    }
    // Drawn directly rather than through QIcon so the result is exact at any ratio, with no
    // icon engine plugin involved.
    QSvgRenderer renderer(symbolPath(symbol));
    if (!renderer.isValid()) {
        return {};
    }
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int pixels = qCeil(size * ratio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    if (tint.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(0, 0, pixels, pixels), tint);
    }
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace codalume
