// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace codalume {

// Symbol icons drawn for this program, one SVG per symbol name, bundled as
// ":/icons/<symbol>.svg" (e.g. "photo.fill").
bool hasSymbol(const QString &symbol);

// The symbol's icon in the application palette's text colour at the time it is drawn (the
// disabled or highlighted text colour for a disabled or selected icon), so it stays visible
// on light and dark palettes alike; a null icon when there is no such symbol.
QIcon symbolIcon(const QString &symbol);

// The symbol drawn at `size` points for a screen of `devicePixelRatio`, in `tint` (an invalid
// colour keeps the drawing's own); null when missing.
QPixmap symbolPixmap(const QString &symbol, int size, qreal devicePixelRatio = 1.0,
                     const QColor &tint = QColor());

}  // namespace codalume
