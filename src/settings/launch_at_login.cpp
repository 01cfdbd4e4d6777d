// SPDX-License-Identifier: MIT
#include "settings/launch_at_login.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <initializer_list>

#include "platform/paths.h"

namespace codalume {

namespace {

// The text with each listed character replaced by its replacement text.
QString replaceEach(const QString &text,
                    std::initializer_list<std::pair<char16_t, QStringView>> replacements) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const auto found = std::find_if(replacements.begin(), replacements.end(),
                                        [c](const auto &pair) { return pair.first == c; });
        if (found != replacements.end()) {
            result += found->second;
        } else {
            result += c;
        }
    }
    return result;
}

// One argument of an Exec key: double-quoted, with the characters the quoting rules reserve
// escaped, "%" doubled (field codes), and then the string-value escapes applied on top.
QString execArgument(const QString &argument) {
    const QString quoted = replaceEach(
        argument,
        {{u'"', u"\\\""}, {u'`', u"\\`"}, {u'$', u"\\$"}, {u'\\', u"\\\\"}, {u'%', u"%%"}});
    return u'"' +
           replaceEach(quoted,
                       {{u'\\', u"\\\\"}, {u'\n', u"\\n"}, {u'\t', u"\\t"}, {u'\r', u"\\r"}}) +
           u'"';
}

// Creates the file's folder when nothing is there, then replaces the file in one step.
void writeFileAtomically(const QString &path, const QByteArray &content) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
    }
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    if (!existed) {
        // Private like the preferences file; a file the user already has keeps its mode.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (file.write(content) == content.size()) {
        file.commit();
    }
}

// Removes a file or a link; a folder of that name is not ours to delete.
void removeFile(const QString &path) {
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isDir())) {
        QFile::remove(path);
    }
}

QString autostartFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and must be ignored.
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = homeDirectory() + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config) + QStringLiteral("/autostart/");
}

// The program an Exec value starts: its first argument, with the string escapes and then the
// quoting undone (the reverse of execArgument).
QString execProgram(const QString &value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            c = value[++i];
            const qsizetype escape = QStringView(u"sntr").indexOf(c);
            c = escape < 0 ? c : QStringView(u" \n\t\r").at(escape);
        }
        text += c;
    }
    if (!text.startsWith(u'"')) {
        return text.section(u' ', 0, 0);
    }
    QString program;
    for (qsizetype i = 1; i < text.size() && text[i] != u'"'; ++i) {
        program += text[i] == u'\\' && i + 1 < text.size() ? text[++i] : text[i];
    }
    return program;
}

// Whether the file is an entry whose Exec key starts a program named codalume: under the
// earlier name only such an entry is ours to remove; a link, a folder or another program's
// entry is the user's.
bool startsCodalume(const QString &path) {
    const QFileInfo info(path);
    QFile file(path);
    if (info.isSymLink() || !info.isFile() || info.size() > 65536 ||
        !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("Exec="))) {
            return QFileInfo(execProgram(line.mid(5))).fileName() == QStringLiteral("codalume");
        }
    }
    return false;
}

}  // namespace

QString autostartEntryPath() {
    return autostartFolder() + QStringLiteral("io.codalume.Codalume.desktop");
}

QString earlierAutostartEntryPath() {
    return autostartFolder() + QStringLiteral("codalume.desktop");
}

QString legacyLaunchAgentPath() {
    return homeDirectory() + QStringLiteral("/Library/LaunchAgents/com.user.codalume.plist");
}

QByteArray autostartEntryText(const QString &executablePath) {
    return QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Codalume\nExec=") +
           execArgument(executablePath).toUtf8() + '\n';
}

void configureLaunchAtLogin(bool enabled) {
    removeFile(legacyLaunchAgentPath());
    if (startsCodalume(earlierAutostartEntryPath())) {
        removeFile(earlierAutostartEntryPath());
    }
    if (enabled) {
        writeFileAtomically(autostartEntryPath(), autostartEntryText(applicationPath()));
    } else {
        removeFile(autostartEntryPath());
    }
}

}  // namespace codalume
