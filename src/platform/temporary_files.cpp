// SPDX-License-Identifier: MIT
#include "platform/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace codalume {

namespace {

constexpr char prefix[] = ".codalume-";
constexpr size_t randomLength = 6;  // mkostemp's XXXXXX

bool isTemporaryName(const char *name) {
    if (std::strncmp(name, prefix, sizeof prefix - 1) != 0) {
        return false;
    }
    const char *random = name + sizeof prefix - 1;
    return std::strlen(random) == randomLength &&
           std::all_of(random, random + randomLength, [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Our own regular file under `name` in the folder, not followed if it is a link.
bool isOwnFile(int folder, const char *name, struct stat *info) {
    return ::fstatat(folder, name, info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info->st_mode) &&
           info->st_uid == ::geteuid();
}

void removeIfLeftover(int folder, const char *name) {
    struct stat named {};
    if (!isTemporaryName(name) || !isOwnFile(folder, name, &named)) {
        return;
    }
    const int fd =
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    // With the lock ours, the name must still be that file: a writer whose new file we opened
    // before it took its lock waits for ours and then finds its name gone.
    struct stat opened {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        sameFile(named, opened) && isOwnFile(folder, name, &named) && sameFile(named, opened)) {
        ::unlinkat(folder, name, 0);
    }
    ::close(fd);
}

}  // namespace

int createTemporaryFile(const QString &directory, QByteArray *path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name =
            QFile::encodeName(directory + u'/' + QLatin1String(prefix) + QStringLiteral("XXXXXX"));
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            return -errno;
        }
        // Where the file system has no locks the file goes unlocked, and no cleanup there can
        // take a lock to remove it either.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 &&
            sameFile(opened, named)) {
            *path = name;
            return fd;
        }
        ::close(fd);  // another run's cleanup took it before the lock was ours
    }
    return -EEXIST;
}

void removeLeftoverTemporaries(const QString &directory) {
    const int folder =
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return;
    }
    DIR *listing = ::fdopendir(folder);
    if (listing == nullptr) {
        ::close(folder);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        removeIfLeftover(folder, entry->d_name);
    }
    ::closedir(listing);  // closes `folder` too
}

}  // namespace codalume
