#pragma once

#include <QIcon>
#include <QString>

namespace codalume {

enum class TrayIconSource { ApplicationFile, Bundled, Symbol };

struct TrayIcon {
    QIcon icon;
    TrayIconSource source = TrayIconSource::Symbol;
};

// The tray icon, first found of: "Resources/ico.ico" in `applicationDirectory` (the folder
// that holds the executable), the bundled ":/icons/ico.ico", the "scissors" symbol. A file
// that does not load as an image counts as missing. The first two are scaled to 18 x 18.
TrayIcon loadTrayIcon(const QString &applicationDirectory);

}  // namespace codalume
