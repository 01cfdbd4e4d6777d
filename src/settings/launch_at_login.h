// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace codalume {

// Writes (enabled) or removes (disabled) the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/codalume.desktop (~/.config when unset). A missing folder is
// created; removing leaves it. Either way a launch-agent property list that an earlier version
// wrote is removed: nothing on Linux reads it. Failures are dropped: the next start tries
// again.
void configureLaunchAtLogin(bool enabled);

QString autostartEntryPath();
// ~/Library/LaunchAgents/com.user.codalume.plist, written by earlier versions.
QString legacyLaunchAgentPath();

// The autostart entry for an executable, its path quoted for the Exec key.
QByteArray autostartEntryText(const QString &executablePath);

}  // namespace codalume
