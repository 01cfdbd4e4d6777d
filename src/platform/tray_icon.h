#pragma once

#include <QIcon>
#include <QString>

namespace codalume {

// The tray icon, first found of: "Resources/ico.ico" in `applicationDirectory` (the folder
// that holds the executable), the bundled ":/icons/ico.ico", the "scissors" symbol. A file
// that does not load as an image counts as missing. The first two are scaled to 18 x 18.
QIcon loadTrayIcon(const QString &applicationDirectory);

}  // namespace codalume
