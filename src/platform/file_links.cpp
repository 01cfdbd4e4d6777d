// SPDX-License-Identifier: MIT
#include "platform/file_links.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace codalume {

namespace {

constexpr int maxLinks = 40;  // as many as the kernel follows in one path

// A link's target as written, or nothing with errno set.
std::optional<QString> readLink(const QByteArray &path) {
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink(path.constData(), buffer, sizeof buffer);
    if (size < 0) {
        return std::nullopt;
    }
    return QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(size)));
}

// The kernel's protected_symlinks rule, applied whatever the sysctl says (a container may show
// it off): in a sticky world-writable folder, where anyone can plant a name, only a link owned
// by us or by the folder's owner is followed. Links elsewhere on the path are the kernel's.
bool mayFollow(const struct stat &link, const QString &folder) {
    struct stat parent {};
    if (::stat(QFile::encodeName(folder).constData(), &parent) != 0) {
        return false;
    }
    const bool shared = (parent.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == parent.st_uid;
}

}  // namespace

LinkEnd followLinks(const QString &path) {
    QString current = path;
    for (int followed = 0;; ++followed) {
        const QByteArray native = QFile::encodeName(current);
        struct stat info {};
        // A missing end is where the file will be made; other errors are the write's to report.
        if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return {current, 0};
        }
        const QString folder = QFileInfo(current).path();
        if (followed == maxLinks) {
            return {current, ELOOP};
        }
        if (!mayFollow(info, folder)) {
            return {current, EACCES};
        }
        const std::optional<QString> target = readLink(native);
        if (!target) {
            return {current, errno};
        }
        // Not cleaned: ".." after a linked folder means that folder's parent, as for the kernel.
        current = target->startsWith(u'/') ? *target : folder + u'/' + *target;
    }
}

std::optional<BrokenLink> brokenLink(const QString &path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode) ||
        ::stat(native.constData(), &info) == 0) {
        return std::nullopt;
    }
    const FileError error = posixError(errno);
    return BrokenLink{readLink(native).value_or(QString()), error};
}

}  // namespace codalume
