// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "render/user_preferences.h"
#include "settings/reason.h"

namespace codalume {

// ".codalume_prefs.json" in the home directory.
QString preferencesFilePath();

// The decoded file, or the full default record when the file is missing, unreadable, not a
// regular file, larger than maxPreferencesFileSize, or fails to decode in any way. When a file
// is there but cannot be used, `unusable` receives why (without the path), else it is cleared.
UserPreferences loadPreferences(Reason *unusable);
// The same with the reason in English only, for standard error.
UserPreferences loadPreferences(QString *unusable = nullptr);

// The line for standard error when loadPreferences passed over the file for `reason`: it
// names the file and says that the defaults apply.
QString unusablePreferencesWarning(const QString &reason);

// The decoded preferences file at `path`, or nothing for the files loadPreferences passes
// over; `error` then receives a one-line reason that names the file.
std::optional<UserPreferences> readPreferencesFile(const QString &path, QString *error = nullptr);

// Replaces the file atomically (a symlink stays a symlink and its target is replaced). A target
// that is not a regular file (a FIFO, a device) is refused, never replaced. A regular file that
// cannot be used is first copied, owner-only, to a new ".codalume_prefs.broken-<seconds>.json"
// beside it (`keptAs` receives that path); when no copy can be made, nothing is written.
// A new file is made owner-only. Returns whether the write succeeded; else `error` receives the
// reason. Prints nothing.
bool savePreferences(const UserPreferences &preferences, Reason *error = nullptr,
                     QString *keptAs = nullptr);

// The exact file format: one compact object, members in field order, "/" written as "\/".
// Nothing when a colour component is not finite.
std::optional<QByteArray> encodePreferences(const UserPreferences &preferences);

// All 23 required members with their exact types, and the optional parts of the card (missing:
// off; present: a boolean), or nothing; `reason` then receives the first fault (not JSON, or
// the member that is missing or of the wrong type). Other members are ignored.
std::optional<UserPreferences> decodePreferences(const QByteArray &bytes, Reason *reason = nullptr);

inline constexpr qint64 maxPreferencesFileSize = 1 << 20;

}  // namespace codalume
