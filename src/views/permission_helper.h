// SPDX-License-Identifier: MIT
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

    // True when a probe file can be written into the Downloads folder (into the folder that
    // would hold it while it does not exist yet: a save creates it) and removed again. A
    // failure prints one trace line.
    static bool checkPermissions(Platform &platform);

    // Explains how to grant access; on confirmation opens the place where the user can do so
    // (see privacySettingsUrl).
    static void openPrivacySettings(Platform &platform);

    // The folder that holds Downloads, so the user can fix its permissions in the file manager.
    static QUrl privacySettingsUrl(Platform &platform);

    // First start only: records the flag at once and schedules showWelcomePrompt 1 s later.
    static void promptForPermissionsIfNeeded(Platform &platform);

    // Runs the check and, only when it fails, welcomes the user and offers the settings.
    static void showWelcomePrompt(Platform &platform);
};

}  // namespace codalume
