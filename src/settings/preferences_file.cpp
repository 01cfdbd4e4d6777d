// SPDX-License-Identifier: MIT
#include "settings/preferences_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/file_links.h"
#include "platform/paths.h"
#include "platform/save_file.h"
#include "render/grammar.h"
#include "settings/interface_language.h"
#include "settings/reason.h"

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
    visit("highlighter", p.highlighter, Presence::optional);
    visit("theme", p.theme, Presence::optional);
    visit("wrapColumn", p.wrapColumn, Presence::optional);
    visit("interfaceLanguage", p.interfaceLanguage, Presence::optional);
}

// Why a member that names one of a few things names none of them, or a number lies outside its
// range; empty when none does.
Reason valueFault(const UserPreferences &p) {
    const struct {
        const char *key;
        const QString &value;
        const QStringList &allowed;
    } members[] = {
        {"highlighter", p.highlighter, highlighterNames()},
        {"theme", p.theme, themeNames()},
        {"interfaceLanguage", p.interfaceLanguage, interfaceLanguageNames()},
    };
    for (const auto &member : members) {
        if (!member.allowed.contains(member.value)) {
            const QString names = u'"' + member.allowed.join(QStringLiteral("\", \"")) + u'"';
            return {QStringLiteral("the member \"%1\" must be one of %2").arg(member.key, names),
                    QStringLiteral("成员 \"%1\" 必须是以下之一: %2").arg(member.key, names)};
        }
    }
    if (p.wrapColumn < 0 || p.wrapColumn > UserPreferences::maxWrapColumn) {
        const auto bound = UserPreferences::maxWrapColumn;
        return {QStringLiteral("the member \"wrapColumn\" must be a whole number from 0 to %1")
                    .arg(bound),
                QStringLiteral("成员 \"wrapColumn\" 必须是 0 到 %1 之间的整数").arg(bound)};
    }
    return {};
}

// What a member of the field's type must hold, for the reason a file is refused.
template <typename Field>
Reason expectedValue() {
    if constexpr (std::is_same_v<Field, bool>) {
        return {QStringLiteral("true or false"), QStringLiteral("true 或 false")};
    } else if constexpr (std::is_same_v<Field, int64_t>) {
        return {QStringLiteral("a whole number within 64 bits"), QStringLiteral("64 位以内的整数")};
    } else if constexpr (std::is_same_v<Field, double>) {
        return {QStringLiteral("a finite number"), QStringLiteral("有限的数字")};
    } else {
        return {QStringLiteral("a string"), QStringLiteral("字符串")};
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

// Why a node that is not a regular file cannot be the preferences file; empty for one that is.
Reason nodeFault(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    if (S_ISDIR(mode)) {
        return {QStringLiteral("it is a directory"), QStringLiteral("它是一个文件夹")};
    }
    if (S_ISFIFO(mode)) {
        return {QStringLiteral("it is a FIFO (named pipe), not a regular file"),
                QStringLiteral("它是一个命名管道 (FIFO)，不是普通文件")};
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return {QStringLiteral("it is a device, not a regular file"),
                QStringLiteral("它是一个设备，不是普通文件")};
    }
    return {QStringLiteral("it is not a regular file"), QStringLiteral("它不是普通文件")};
}

// Opens the file for reading without blocking, should a FIFO have taken its place since it was
// looked at.
bool openForReading(QFile &file, const QString &path, Reason &reason) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

// The decoded file at `path`, or nothing with the reason (without the path); `missing` tells
// that nothing is there, which is no fault of the file.
std::optional<UserPreferences> readPreferences(const QString &path, Reason &reason, bool &missing) {
    // Looked at before it is opened: a directory or a FIFO put there by hand must not block
    // (opening a FIFO waits for a writer forever), and a gigabyte of blanks is refused by its
    // size without being read.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int error = errno;
        missing = error == ENOENT || error == ENOTDIR;
        reason = systemReason(error);
        return std::nullopt;
    }
    missing = false;
    reason = nodeFault(info.st_mode);
    if (!reason.isEmpty()) {
        return std::nullopt;
    }
    const Reason tooLarge = {
        QStringLiteral("it is larger than %1 bytes").arg(maxPreferencesFileSize),
        QStringLiteral("文件大于 %1 字节").arg(maxPreferencesFileSize)};
    if (info.st_size > maxPreferencesFileSize) {
        reason = tooLarge;
        return std::nullopt;
    }
    QFile file;
    if (!openForReading(file, path, reason)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxPreferencesFileSize + 1);
    if (bytes.size() > maxPreferencesFileSize) {
        reason = tooLarge;  // it grew since it was looked at
        return std::nullopt;
    }
    return decodePreferences(bytes, &reason);
}

// The bytes of an open file as they are, streamed.
FileContent copyOf(QFile &in) {
    return [&in](QIODevice &out, QString *reason) {
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
std::optional<QString> keepUnusableFile(const QString &path, const Reason &fault, Reason *error) {
    // ".codalume_prefs.broken-<seconds>.json": the extension stays for the editor.
    const QFileInfo info(path);
    QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    name.insert(dot > 0 ? dot : name.size(),
                QStringLiteral(".broken-%1").arg(QDateTime::currentSecsSinceEpoch()));
    // Opened first, so that a file one may not read is told by its errno.
    QFile in;
    Reason why;
    WriteResult kept;
    if (openForReading(in, path, why)) {
        kept = writeNewFile(info.path(), name, copyOf(in), S_IRUSR | S_IWUSR);
        why = kept.error ? fileReason(*kept.error) : Reason();
    }
    if (!why.isEmpty()) {
        if (error != nullptr) {
            *error = {
                QStringLiteral("the file cannot be used (%1) and no copy of it could be kept: %2")
                    .arg(fault.english, why.english),
                QStringLiteral("文件无法使用 (%1)，也无法保留它的副本: %2")
                    .arg(fault.chinese, why.chinese)};
        }
        return std::nullopt;
    }
    return kept.path;
}

// Creates the missing file empty and owner-only, as it will hold the user's e-mail and IDs; the
// writer keeps the mode of a file it replaces. Returns whether this call created it.
bool createPrivateFile(const QString &path, Reason &fault) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        if (errno != EEXIST) {  // made by another process meanwhile: it keeps its own mode
            fault = systemReason(errno);
        }
        return false;
    }
    ::close(fd);
    return true;
}

bool writePreferences(const UserPreferences &preferences, Reason &fault, QString *keptAs) {
    const std::optional<QByteArray> bytes = encodePreferences(preferences);
    if (!bytes) {
        fault = {QStringLiteral("a colour component is not a finite number"),
                 QStringLiteral("某个颜色分量不是有限的数字")};
        return false;
    }
    // The file at the end of the links is the one replaced, so every link stays.
    const LinkEnd end = followLinks(preferencesFilePath());
    if (end.error != 0) {
        fault = systemReason(end.error);
        return false;
    }
    const QString &target = end.path;
    struct stat node {};
    const bool existed = ::stat(QFile::encodeName(target).constData(), &node) == 0;
    fault = existed ? nodeFault(node.st_mode) : Reason();
    if (!fault.isEmpty()) {
        return false;  // renaming a file over a FIFO or a device would destroy the node
    }
    Reason unusable;
    bool missing = false;
    if (existed && !readPreferences(target, unusable, missing)) {
        const std::optional<QString> kept = keepUnusableFile(target, unusable, &fault);
        if (!kept) {
            return false;
        }
        if (keptAs != nullptr) {
            *keptAs = *kept;
        }
    }
    const bool created = !existed && createPrivateFile(target, fault);
    if (!fault.isEmpty()) {
        return false;
    }
    // Written beside the target and renamed over it: a crash mid-write leaves the old file.
    if (const std::optional<FileError> failed = replaceFile(target, *bytes)) {
        fault = fileReason(*failed);
        if (created) {
            ::unlink(QFile::encodeName(target).constData());
        }
        return false;
    }
    return true;
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

std::optional<UserPreferences> decodePreferences(const QByteArray &bytes, Reason *reason) {
    const Json document = Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr,
                                      /*allow_exceptions=*/false);
    Reason fault;
    if (document.is_discarded()) {
        // Parse errors, invalid UTF-8 among them, yield a discarded value.
        fault = {QStringLiteral("it is not valid JSON text"),
                 QStringLiteral("它不是有效的 JSON 文本")};
    } else if (!document.is_object()) {
        fault = {QStringLiteral("it is not a JSON object"), QStringLiteral("它不是 JSON 对象")};
    }
    UserPreferences decoded;
    forEachMember(
        decoded, [&](const char *key, auto &field, Presence presence = Presence::required) {
            if (!fault.isEmpty()) {
                return;
            }
            const auto member = document.find(key);
            if (member == document.end()) {
                if (presence == Presence::required) {
                    fault = {QStringLiteral("the member \"%1\" is missing").arg(key),
                             QStringLiteral("缺少成员 \"%1\"").arg(key)};
                }
            } else if (!readValue(*member, field)) {
                const Reason expected = expectedValue<std::decay_t<decltype(field)>>();
                fault = {QStringLiteral("the member \"%1\" must be %2").arg(key, expected.english),
                         QStringLiteral("成员 \"%1\" 必须是%2").arg(key, expected.chinese)};
            }
        });
    if (fault.isEmpty()) {
        fault = valueFault(decoded);
    }
    if (!fault.isEmpty()) {
        if (reason != nullptr) {
            *reason = fault;
        }
        return std::nullopt;
    }
    return decoded;
}

UserPreferences loadPreferences(Reason *unusable) {
    Reason reason;
    bool missing = false;
    const std::optional<UserPreferences> read =
        readPreferences(preferencesFilePath(), reason, missing);
    if (unusable != nullptr) {
        *unusable = read || missing ? Reason() : reason;
    }
    return read.value_or(UserPreferences{});
}

UserPreferences loadPreferences(QString *unusable) {
    Reason reason;
    const UserPreferences read = loadPreferences(&reason);
    if (unusable != nullptr) {
        *unusable = reason.english;
    }
    return read;
}

QString unusablePreferencesWarning(const QString &reason) {
    return QStringLiteral("cannot use the preferences file %1: %2; the default settings apply")
        .arg(preferencesFilePath(), reason);
}

std::optional<UserPreferences> readPreferencesFile(const QString &path, QString *error) {
    Reason reason;
    bool missing = false;
    std::optional<UserPreferences> read = readPreferences(path, reason, missing);
    if (!read && error != nullptr) {
        *error = QStringLiteral("cannot use the preferences file %1: %2").arg(path, reason.english);
    }
    return read;
}

bool savePreferences(const UserPreferences &preferences, Reason *error, QString *keptAs) {
    Reason fault;
    const bool saved = writePreferences(preferences, fault, keptAs);
    if (!saved && error != nullptr) {
        *error = fault;
    }
    return saved;
}

}  // namespace codalume
