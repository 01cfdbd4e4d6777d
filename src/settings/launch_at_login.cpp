#include "settings/launch_at_login.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/paths.h"

namespace codalume {

namespace {

QString xmlEscaped(const QString &text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&') {
            escaped += QStringLiteral("&amp;");
        } else if (c == u'<') {
            escaped += QStringLiteral("&lt;");
        } else if (c == u'>') {
            escaped += QStringLiteral("&gt;");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// One argument of an Exec key: double-quoted, with the characters the quoting rules reserve
// escaped, "%" doubled (field codes), and then the string-value escapes applied on top.
QString execArgument(const QString &argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
            quoted += c;
        } else if (c == u'%') {
            quoted += QStringLiteral("%%");
        } else {
            quoted += c;
        }
    }
    QString value = QStringLiteral("\"");
    for (const QChar c : quoted) {
        if (c == u'\\') {
            value += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            value += QStringLiteral("\\n");
        } else if (c == u'\t') {
            value += QStringLiteral("\\t");
        } else if (c == u'\r') {
            value += QStringLiteral("\\r");
        } else {
            value += c;
        }
    }
    return value + u'"';
}

// Creates the file's folder when nothing is there, then replaces the file in one step.
void writeFileAtomically(const QString &path, const QByteArray &content) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()) {
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

}  // namespace

QString launchAgentPath() {
    return homeDirectory() + QStringLiteral("/Library/LaunchAgents/com.user.codalume.plist");
}

QString autostartEntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and must be ignored.
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = homeDirectory() + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config) + QStringLiteral("/autostart/codalume.desktop");
}

QByteArray launchAgentText(const QString &applicationDirectory) {
    static const char head[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "    <key>Label</key>\n"
        "    <string>com.user.codalume</string>\n"
        "    <key>ProgramArguments</key>\n"
        "    <array>\n"
        "        <string>";
    static const char tail[] =
        "/Contents/MacOS/Codalume</string>\n"
        "    </array>\n"
        "    <key>RunAtLoad</key>\n"
        "    <true/>\n"
        "</dict>\n"
        "</plist>";
    return QByteArray(head) + xmlEscaped(applicationDirectory).toUtf8() + QByteArray(tail);
}

QByteArray autostartEntryText(const QString &executablePath) {
    return QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Codalume\nExec=") +
           execArgument(executablePath).toUtf8() + '\n';
}

void configureLaunchAtLogin(bool enabled) {
    if (enabled) {
        writeFileAtomically(launchAgentPath(), launchAgentText(applicationDirectory()));
        writeFileAtomically(autostartEntryPath(), autostartEntryText(applicationPath()));
    } else {
        removeFile(launchAgentPath());
        removeFile(autostartEntryPath());
    }
}

}  // namespace codalume
