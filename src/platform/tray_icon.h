// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QString>

namespace codalume {

// The name of the one-colour tray icon installed in the hicolor icon theme (the application ID
// with "-symbolic": hosts that recolour icons go by that suffix).
inline const QString trayIconThemeName = QStringLiteral("io.codalume.Codalume-symbolic");

// The tray icon, first found of: "Resources/ico.ico" in `applicationDirectory` (the folder
// that holds the executable), the bundled ":/icons/ico.ico", the drawn tray picture. A file
// that does not load as an image counts as missing. The first two are scaled to 18 x 18.
// The drawn picture (light strokes with a dark outline) reads on dark and light panels alike;
// where the one-colour icon is installed in an icon theme it carries that icon's name, so
// StatusNotifier hosts that look names up draw it in the colours of their own icons.
QIcon loadTrayIcon(const QString &applicationDirectory);

}  // namespace codalume
