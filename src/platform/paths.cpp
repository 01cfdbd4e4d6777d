// SPDX-License-Identifier: MIT
#include "platform/paths.h"

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

QString temporaryDirectory() {
    // QDir::tempPath() answers "" for a TMPDIR that does not exist, and an empty folder would
    // turn later writes into writes relative to the working directory: keep the named path so
    // they fail with a clear error instead.
    const QString resolved = QDir::tempPath();
    if (!resolved.isEmpty()) {
        return QDir::cleanPath(resolved);
    }
    const QString named = qEnvironmentVariable("TMPDIR");
    return named.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(QDir(named).absolutePath());
}

QString applicationPath() {
    if (QCoreApplication::instance() != nullptr) {
        const QString path = QCoreApplication::applicationFilePath();
        if (!path.isEmpty()) {
            return path;
        }
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString applicationDirectory() {
    return QFileInfo(applicationPath()).absolutePath();
}

}  // namespace codalume
