#include "settings/preferences_file.h"

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/paths.h"

namespace codalume {

namespace {

using Json = nlohmann::ordered_json;

// Members a file may lack: they came after the first files were written, and such a file
// loads with them off.
enum class Presence { required, optional };

// The record's members in file order, each bound to its field. One table serves encoding and
// decoding so the two can never disagree on a name, a type or the order.
template <typename Visitor>
void forEachMember(UserPreferences &p, Visitor &&visit) {
    visit("showPreview", p.showPreview);
    visit("fontSize", p.fontSize);
    visit("fontStyle", p.fontStyle);
    visit("fontColor", p.fontColor);
    visit("backgroundColor", p.backgroundColor);
    visit("authorName", p.authorName);
    visit("email", p.email);
    visit("wechat", p.wechat);
    visit("blog", p.blog);
    visit("startAtLogin", p.startAtLogin);
    visit("saveToDownloads", p.saveToDownloads);
    visit("showAuthorName", p.showAuthorName);
    visit("showEmail", p.showEmail);
    visit("showWechat", p.showWechat);
    visit("showBlog", p.showBlog);
    visit("backgroundColorR", p.backgroundColorR);
    visit("backgroundColorG", p.backgroundColorG);
    visit("backgroundColorB", p.backgroundColorB);
    visit("useGradientBackground", p.useGradientBackground);
    visit("gradientEndColorR", p.gradientEndColorR);
    visit("gradientEndColorG", p.gradientEndColorG);
    visit("gradientEndColorB", p.gradientEndColorB);
    visit("gradientDirection", p.gradientDirection);
    visit("showLineNumbers", p.showLineNumbers, Presence::optional);
    visit("showWindowControls", p.showWindowControls, Presence::optional);
    visit("showShadow", p.showShadow, Presence::optional);
}

bool readValue(const Json &value, bool &out) {
    if (!value.is_boolean()) {
        return false;
    }
    out = value.get<bool>();
    return true;
}

// An integral number within the signed 64-bit range; 14.0 and 1e2 are integral, 14.5 is not.
bool readValue(const Json &value, int64_t &out) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        out = value.get<int64_t>();
        return true;
    }
    if (value.is_number_unsigned()) {
        const uint64_t u = value.get<uint64_t>();
        if (u > static_cast<uint64_t>(INT64_MAX)) {
            return false;
        }
        out = static_cast<int64_t>(u);
        return true;
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        // The parser keeps integers beyond the 64-bit range as doubles, and every integer
        // text from -2^63 - 1024 down to -2^63 rounds to -2^63 itself: as a double that value
        // cannot be told from the out-of-range ones, so only doubles strictly inside count.
        if (!std::isfinite(d) || d != std::trunc(d) || d <= -9223372036854775808.0 ||
            d >= 9223372036854775808.0) {
            return false;
        }
        out = static_cast<int64_t>(d);
        return true;
    }
    return false;
}

bool readValue(const Json &value, double &out) {
    if (!value.is_number()) {
        return false;
    }
    out = value.get<double>();
    return std::isfinite(out);
}

bool readValue(const Json &value, QString &out) {
    if (!value.is_string()) {
        return false;
    }
    const std::string &s = value.get_ref<const std::string &>();
    out = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    return true;
}

// Doubles in their shortest exact form, integral ones without a fraction ("1", not "1.0"), as
// the platform encoder the file format comes from writes them.
std::string numberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void appendString(std::string &out, const QString &text) {
    // nlohmann escapes quotes, backslashes and control characters; the file format also
    // escapes every forward slash.
    const std::string quoted = Json(text.toStdString()).dump();
    for (char c : quoted) {
        if (c == '/') {
            out += "\\/";
        } else {
            out += c;
        }
    }
}

// Resolves a chain of symbolic links to the file that really holds the bytes, so that an
// atomic replace updates the target and leaves the link in place.
QString resolveLinks(const QString &path) {
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink()) {
            return current;
        }
        current = info.symLinkTarget();
    }
    return current;
}

}  // namespace

QString preferencesFilePath() {
    return homeDirectory() + QStringLiteral("/.codalume_prefs.json");
}

std::optional<QByteArray> encodePreferences(const UserPreferences &preferences) {
    UserPreferences copy = preferences;
    std::string out = "{";
    bool ok = true;
    bool first = true;
    forEachMember(copy, [&](const char *key, auto &field, Presence = Presence::required) {
        using Field = std::decay_t<decltype(field)>;
        if (!first) {
            out += ',';
        }
        first = false;
        out += '"';
        out += key;
        out += "\":";
        if constexpr (std::is_same_v<Field, bool>) {
            out += field ? "true" : "false";
        } else if constexpr (std::is_same_v<Field, int64_t>) {
            out += std::to_string(field);
        } else if constexpr (std::is_same_v<Field, double>) {
            if (!std::isfinite(field)) {
                ok = false;
            }
            out += numberText(field);
        } else {
            appendString(out, field);
        }
    });
    out += '}';
    if (!ok) {
        return std::nullopt;
    }
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

std::optional<UserPreferences> decodePreferences(const QByteArray &bytes) {
    const Json document = Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr,
                                      /*allow_exceptions=*/false);
    if (!document.is_object()) {
        return std::nullopt;  // also covers parse errors, which yield a discarded value
    }
    UserPreferences decoded;
    bool ok = true;
    forEachMember(decoded,
                  [&](const char *key, auto &field, Presence presence = Presence::required) {
                      if (!ok) {
                          return;
                      }
                      const auto member = document.find(key);
                      if (member == document.end()) {
                          ok = presence == Presence::optional;
                          return;
                      }
                      ok = readValue(*member, field);
                  });
    if (!ok) {
        return std::nullopt;
    }
    return decoded;
}

UserPreferences loadPreferences() {
    return readPreferencesFile(preferencesFilePath()).value_or(UserPreferences{});
}

std::optional<UserPreferences> readPreferencesFile(const QString &path, QString *error) {
    const auto refuse = [error](const QString &reason) -> std::optional<UserPreferences> {
        if (error != nullptr) {
            *error = reason;
        }
        return std::nullopt;
    };
    // Looked at before it is opened: a directory or a FIFO put there by hand must not block
    // (opening a FIFO waits for a writer forever), and a gigabyte of blanks is refused by its
    // size without being read.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            return refuse(QStringLiteral("cannot read preferences file %1: %2")
                              .arg(path, S_ISDIR(info.st_mode)
                                             ? QStringLiteral("it is a directory")
                                             : QStringLiteral("it is not a regular file")));
        }
        if (info.st_size > maxPreferencesFileSize) {
            return refuse(QStringLiteral("%1 is larger than %2 bytes; it is not a preferences file")
                              .arg(path)
                              .arg(maxPreferencesFileSize));
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refuse(
            QStringLiteral("cannot read preferences file %1: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.read(maxPreferencesFileSize + 1);
    std::optional<UserPreferences> decoded;
    if (bytes.size() <= maxPreferencesFileSize) {
        decoded = decodePreferences(bytes);
    }
    if (!decoded) {
        return refuse(QStringLiteral("%1 is not a valid preferences file").arg(path));
    }
    return decoded;
}

bool savePreferences(const UserPreferences &preferences, QString *error) {
    const std::optional<QByteArray> bytes = encodePreferences(preferences);
    if (!bytes) {
        if (error != nullptr) {
            *error = QStringLiteral("a colour component is not a finite number");
        }
        return false;
    }
    const QString target = resolveLinks(preferencesFilePath());
    const bool existed = QFileInfo::exists(target);
    // Written next to the target and renamed over it: a crash mid-write leaves the old file.
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    if (!existed) {
        // The file holds the user's e-mail and IDs; an existing file keeps its own mode.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (file.write(*bytes) != bytes->size() || !file.commit()) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

}  // namespace codalume
