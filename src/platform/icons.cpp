#include "platform/icons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace codalume {

namespace {

QString symbolPath(const QString &symbol) {
    return QStringLiteral(":/icons/") + symbol + QStringLiteral(".svg");
}

}  // namespace

bool hasSymbol(const QString &symbol) {
    // A name with a slash could step out of the icon folder.
    return !symbol.isEmpty() && !symbol.contains(u'/') && QFile::exists(symbolPath(symbol));
}

QIcon symbolIcon(const QString &symbol) {
    return hasSymbol(symbol) ? QIcon(symbolPath(symbol)) : QIcon();
}

QPixmap symbolPixmap(const QString &symbol, int size, qreal devicePixelRatio) {
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
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace codalume
