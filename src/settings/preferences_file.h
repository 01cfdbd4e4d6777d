#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "render/user_preferences.h"

namespace codalume {

// ".codalume_prefs.json" in the home directory.
QString preferencesFilePath();

// The decoded file, or the full default record when the file is missing, unreadable, not a
// regular file, larger than maxPreferencesFileSize, or fails to decode in any way.
UserPreferences loadPreferences();

// The decoded preferences file at `path`, or nothing for the files loadPreferences passes
// over; `error` then receives a one-line reason that names the file.
std::optional<UserPreferences> readPreferencesFile(const QString &path, QString *error = nullptr);

// Replaces the file atomically (a symlink stays a symlink and its target is replaced). Returns
// whether the write succeeded; `error` then receives the reason. Prints nothing.
bool savePreferences(const UserPreferences &preferences, QString *error = nullptr);

// The exact file format: one compact object, members in field order, "/" written as "\/".
// Nothing when a colour component is not finite.
std::optional<QByteArray> encodePreferences(const UserPreferences &preferences);

// All 23 required members with their exact types, and the optional parts of the card (missing:
// off; present: a boolean), or nothing. Other members are ignored.
std::optional<UserPreferences> decodePreferences(const QByteArray &bytes);

inline constexpr qint64 maxPreferencesFileSize = 1 << 20;

}  // namespace codalume
