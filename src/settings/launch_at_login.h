// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace codalume {

// Writes (enabled) or removes (disabled) the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/io.codalume.Codalume.desktop (~/.config when unset), named by the
// application ID so that the session's unit for it names the program (the portals take the
// application's ID from it). A missing folder is created; removing leaves it. Either way an
// entry under the earlier name codalume.desktop goes when it starts a codalume executable, and
// a launch-agent property list that an earlier version wrote is removed: nothing on Linux reads
// it. Failures are dropped: the next start tries again.
void configureLaunchAtLogin(bool enabled);

QString autostartEntryPath();
// $XDG_CONFIG_HOME/autostart/codalume.desktop, written by earlier versions.
QString earlierAutostartEntryPath();
// ~/Library/LaunchAgents/com.user.codalume.plist, written by earlier versions.
QString legacyLaunchAgentPath();

// The autostart entry for an executable, its path quoted for the Exec key.
QByteArray autostartEntryText(const QString &executablePath);

}  // namespace codalume
