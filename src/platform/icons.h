#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace codalume {

// Symbol icons drawn for this program, one SVG per symbol name, bundled as
// ":/icons/<symbol>.svg" (e.g. "photo.fill").
bool hasSymbol(const QString &symbol);

// The symbol's icon, or a null icon when there is no such symbol.
QIcon symbolIcon(const QString &symbol);

// The symbol drawn at `size` points for a screen of `devicePixelRatio`; null when missing.
QPixmap symbolPixmap(const QString &symbol, int size, qreal devicePixelRatio = 1.0);

}  // namespace codalume
