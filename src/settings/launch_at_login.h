#pragma once

#include <QByteArray>
#include <QString>

namespace codalume {

// Writes (enabled) or removes (disabled) the per-user launch agent
// ~/Library/LaunchAgents/com.user.codalume.plist and the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/codalume.desktop (~/.config when unset). Missing folders are
// created; removing leaves them. Failures are dropped: the next start tries again.
void configureLaunchAtLogin(bool enabled);

QString launchAgentPath();
QString autostartEntryPath();

// The agent file's text for an application folder (the executable's folder stands for the
// bundle), with the path XML-escaped.
QByteArray launchAgentText(const QString &applicationDirectory);

// The autostart entry for an executable, its path quoted for the Exec key.
QByteArray autostartEntryText(const QString &executablePath);

}  // namespace codalume
