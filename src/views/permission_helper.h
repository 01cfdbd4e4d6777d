#pragma once

#include <QString>
#include <QUrl>

namespace codalume {

class Platform;

// Write-permission probes, the explanation of how to grant access, and the one-time prompt of
// the very first start. Stateless: every operation takes the platform it works through.
class PermissionHelper {
  public:
    // User-defaults key that records that the first-start prompt was scheduled once.
    static const QString promptedKey;
    // Name of the probe file written into, and removed from, each probed folder.
    static const QString probeFileName;

    // Folder that is only listed as the last probe: the system-wide application data folder.
    static QString systemSupportDirectory();

    // True when at least one probe passed: writing (and removing) a probe file in the
    // temporary folder, then in the Downloads folder, then listing `systemDirectory`. The
    // first passing probe ends the check; each failed probe prints one trace line.
    static bool checkPermissions(Platform &platform,
                                 const QString &systemDirectory = systemSupportDirectory());

    // Explains how to grant access; on confirmation opens the place where the user can do so
    // (see privacySettingsUrl).
    static void openPrivacySettings(Platform &platform);

    // The folder that holds Downloads, so the user can fix its permissions in the file manager.
    static QUrl privacySettingsUrl(Platform &platform);

    // First start only: records the flag at once and schedules showWelcomePrompt 1 s later.
    // `systemDirectory` is handed on to the check.
    static void promptForPermissionsIfNeeded(
        Platform &platform, const QString &systemDirectory = systemSupportDirectory());

    // Runs the check and, only when it fails, welcomes the user and offers the settings.
    static void showWelcomePrompt(Platform &platform,
                                  const QString &systemDirectory = systemSupportDirectory());
};

}  // namespace codalume
