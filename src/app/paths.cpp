#include "app/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace codalume {

QString homeDirectory() {
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QDir::homePath() : QDir::cleanPath(home);
}

QString downloadsDirectory() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return location.isEmpty() ? homeDirectory() + QStringLiteral("/Downloads")
                              : QDir::cleanPath(location);
}

QString temporaryDirectory() { return QDir::cleanPath(QDir::tempPath()); }

QString applicationPath() {
    if (QCoreApplication::instance() != nullptr) {
        const QString path = QCoreApplication::applicationFilePath();
        if (!path.isEmpty()) {
            return path;
        }
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString applicationDirectory() { return QFileInfo(applicationPath()).absolutePath(); }

}  // namespace codalume
