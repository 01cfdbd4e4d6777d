// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>

namespace codalume {

// The one settings record. Field order is the file's member order; defaults are the values a
// user gets before the settings dialog was ever saved. The file itself is read and written by
// settings/preferences_file.h; the record lives here because the renderer reads it.
struct UserPreferences {
    bool showPreview = true;
    int64_t fontSize = 14;
    QString fontStyle = QStringLiteral("VSCode");
    QString fontColor = QStringLiteral("#FFFFFF");        // carried through unchanged
    QString backgroundColor = QStringLiteral("#1E1E1E");  // carried through unchanged
    QString authorName;
    QString email;
    QString wechat;
    QString blog;
    bool startAtLogin = false;
    bool saveToDownloads = true;
    bool showAuthorName = true;
    bool showEmail = true;
    bool showWechat = true;
    bool showBlog = true;
    double backgroundColorR = 0.12;
    double backgroundColorG = 0.12;
    double backgroundColorB = 0.12;
    bool useGradientBackground = false;
    double gradientEndColorR = 0.2;
    double gradientEndColorG = 0.2;
    double gradientEndColorB = 0.3;
    QString gradientDirection = QStringLiteral("vertical");
    // Optional parts of the card, written after the members above; files without them load
    // with the parts off.
    bool showLineNumbers = false;
    bool showWindowControls = false;
    bool showShadow = false;
    // Which highlighter colours the code ("rules" or "grammar") and, for the grammar one, its
    // theme; written after the members above, files without them keep today's rules.
    QString highlighter = QStringLiteral("rules");
    QString theme = QStringLiteral("Codalume");
    // Lines longer than this many columns continue on the rows below; 0 leaves them whole.
    // Written after the members above, files without it keep lines whole.
    int64_t wrapColumn = 0;
    // Past this a wrapped picture is wider than any screen shows at once.
    static constexpr int64_t maxWrapColumn = 10'000;
    // The windows' language: "system" (the environment's), "zh" or "en". Written after the
    // members above, files without it follow the system.
    QString interfaceLanguage = QStringLiteral("system");

    bool operator==(const UserPreferences &) const = default;
};

}  // namespace codalume
