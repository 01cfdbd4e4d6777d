#include "settings/preferences_file.h"

#include <sys/stat.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/paths.h"
#include "platform/save_file.h"

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

// What a member of the field's type must hold, for the reason a file is refused.
template <typename Field>
const char *expectedValue() {
    if constexpr (std::is_same_v<Field, bool>) {
        return "true or false";
    } else if constexpr (std::is_same_v<Field, int64_t>) {
        return "a whole number within 64 bits";
    } else if constexpr (std::is_same_v<Field, double>) {
        return "a finite number";
    } else {
        return "a string";
    }
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

// Why a node that is not a regular file cannot be the preferences file; empty for one that is.
QString nodeFault(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    if (S_ISDIR(mode)) {
        return QStringLiteral("it is a directory");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("it is a FIFO (named pipe), not a regular file");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QStringLiteral("it is a device, not a regular file");
    }
    return QStringLiteral("it is not a regular file");
}

// The decoded file at `path`, or nothing with the reason (without the path); `missing` tells
// that nothing is there, which is no fault of the file.
std::optional<UserPreferences> readPreferences(const QString &path, QString &reason,
                                               bool &missing) {
    // Looked at before it is opened: a directory or a FIFO put there by hand must not block
    // (opening a FIFO waits for a writer forever), and a gigabyte of blanks is refused by its
    // size without being read.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int error = errno;
        missing = error == ENOENT || error == ENOTDIR;
        reason = posixError(error).description;
        return std::nullopt;
    }
    missing = false;
    reason = nodeFault(info.st_mode);
    if (!reason.isEmpty()) {
        return std::nullopt;
    }
    const QString tooLarge =
        QStringLiteral("it is larger than %1 bytes").arg(maxPreferencesFileSize);
    if (info.st_size > maxPreferencesFileSize) {
        reason = tooLarge;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxPreferencesFileSize + 1);
    if (bytes.size() > maxPreferencesFileSize) {
        reason = tooLarge;  // it grew since it was looked at
        return std::nullopt;
    }
    return decodePreferences(bytes, &reason);
}

// The bytes of the file at `path` as they are, streamed.
FileContent copyOf(const QString &path) {
    return [path](QIODevice &out, QString *reason) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            *reason = in.errorString();
            return false;
        }
        char chunk[65536];
        qint64 n = 0;
        while ((n = in.read(chunk, sizeof chunk)) > 0) {
            if (out.write(chunk, n) != n) {
                return false;
            }
        }
        if (n < 0) {
            *reason = in.errorString();
        }
        return n == 0;
    };
}

// Copies the file that cannot be used to a new owner-only file beside it, so that saving over
// it loses nothing. Returns the copy's path, or nothing with the reason in `error`.
std::optional<QString> keepUnusableFile(const QString &path, const QString &fault, QString *error) {
    // ".codalume_prefs.broken-<seconds>.json": the extension stays for the editor.
    const QFileInfo info(path);
    QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    name.insert(dot > 0 ? dot : name.size(),
                QStringLiteral(".broken-%1").arg(QDateTime::currentSecsSinceEpoch()));
    const WriteResult kept = writeNewFile(info.path(), name, copyOf(path), S_IRUSR | S_IWUSR);
    if (kept.error) {
        if (error != nullptr) {
            *error =
                QStringLiteral("the file cannot be used (%1) and no copy of it could be kept: %2")
                    .arg(fault, kept.error->description);
        }
        return std::nullopt;
    }
    return kept.path;
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

std::optional<UserPreferences> decodePreferences(const QByteArray &bytes, QString *reason) {
    const Json document = Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr,
                                      /*allow_exceptions=*/false);
    QString fault;
    if (!document.is_object()) {
        // Parse errors, invalid UTF-8 among them, yield a discarded value.
        fault = document.is_discarded() ? QStringLiteral("it is not valid JSON text")
                                        : QStringLiteral("it is not a JSON object");
    }
    UserPreferences decoded;
    forEachMember(decoded,
                  [&](const char *key, auto &field, Presence presence = Presence::required) {
                      if (!fault.isEmpty()) {
                          return;
                      }
                      const auto member = document.find(key);
                      if (member == document.end()) {
                          if (presence == Presence::required) {
                              fault = QStringLiteral("the member \"%1\" is missing").arg(key);
                          }
                      } else if (!readValue(*member, field)) {
                          fault = QStringLiteral("the member \"%1\" must be %2")
                                      .arg(key, expectedValue<std::decay_t<decltype(field)>>());
                      }
                  });
    if (!fault.isEmpty()) {
        if (reason != nullptr) {
            *reason = fault;
        }
        return std::nullopt;
    }
    return decoded;
}

UserPreferences loadPreferences(QString *unusable) {
    QString reason;
    bool missing = false;
    const std::optional<UserPreferences> read =
        readPreferences(preferencesFilePath(), reason, missing);
    if (unusable != nullptr) {
        *unusable = read || missing ? QString() : reason;
    }
    return read.value_or(UserPreferences{});
}

QString unusablePreferencesWarning(const QString &reason) {
    return QStringLiteral("cannot use the preferences file %1: %2; the default settings apply")
        .arg(preferencesFilePath(), reason);
}

std::optional<UserPreferences> readPreferencesFile(const QString &path, QString *error) {
    QString reason;
    bool missing = false;
    std::optional<UserPreferences> read = readPreferences(path, reason, missing);
    if (!read && error != nullptr) {
        *error = QStringLiteral("cannot use the preferences file %1: %2").arg(path, reason);
    }
    return read;
}

bool savePreferences(const UserPreferences &preferences, QString *error, QString *keptAs) {
    const std::optional<QByteArray> bytes = encodePreferences(preferences);
    if (!bytes) {
        if (error != nullptr) {
            *error = QStringLiteral("a colour component is not a finite number");
        }
        return false;
    }
    const QString target = resolveLinks(preferencesFilePath());
    struct stat node {};
    const bool existed = ::stat(QFile::encodeName(target).constData(), &node) == 0;
    QString fault = existed ? nodeFault(node.st_mode) : QString();
    if (!fault.isEmpty()) {
        // Renaming a file over a FIFO or a device would destroy the node.
        if (error != nullptr) {
            *error = fault;
        }
        return false;
    }
    bool missing = false;
    if (existed && !readPreferences(target, fault, missing)) {
        const std::optional<QString> kept = keepUnusableFile(target, fault, error);
        if (!kept) {
            return false;
        }
        if (keptAs != nullptr) {
            *keptAs = *kept;
        }
    }
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
