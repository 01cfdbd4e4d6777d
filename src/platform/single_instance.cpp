// SPDX-License-Identifier: MIT
#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

#include "render/trace.h"

namespace codalume {

namespace {

// Whether `info` describes a folder of this user that only this user can change: anyone who
// could write into it could put their own lock or socket in our place.
bool privateFolder(const struct stat &info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

}  // namespace

RuntimeFolder runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool fallback = runtime.isEmpty();
    // Without one, a folder in the user's own cache folder, where no one else can make it
    // first (as anyone could in /tmp); named after the machine, as homes may be shared.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString path =
        fallback ? QStringLiteral("%1/codalume-%2").arg(cache, QSysInfo::machineHostName())
                 : runtime;
    const QByteArray native = QFile::encodeName(path);
    // Ours is made private here, or an existing one must be ours already (lstat: a symbolic
    // link in its place is not followed).
    if (fallback && (!QDir().mkpath(cache) || ::mkdir(native.constData(), 0700) != 0) &&
        errno != EEXIST) {
        return {{}, QStringLiteral("cannot create %1: %2").arg(path, errnoText(errno))};
    }
    struct stat info {};
    const int status =
        fallback ? ::lstat(native.constData(), &info) : ::stat(native.constData(), &info);
    if (status != 0) {
        return {{},
                QStringLiteral("cannot use the runtime folder %1: %2").arg(path, errnoText(errno))};
    }
    if (!privateFolder(info)) {
        return {{},
                QStringLiteral("the runtime folder %1 is not this user's own, or others may "
                               "write to it")
                    .arg(path)};
    }
    return {path, {}};
}

SingleInstanceLock::SingleInstanceLock() {
    const RuntimeFolder folder = runtimeFolder();
    if (folder.path.isEmpty()) {
        error_ = folder.error;
        return;
    }
    path_ = folder.path + QStringLiteral("/codalume.lock");
    acquire();
}

SingleInstanceLock::SingleInstanceLock(const QString &path) : path_(path) {
    acquire();
}

void SingleInstanceLock::acquire() {
    const QByteArray native = QFile::encodeName(QFileInfo(path_).absoluteFilePath());
    // No symlinks: in a shared folder another user could point the name elsewhere.
    fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error_ = errnoText(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        error_ = QStringLiteral("not a regular file of this user");
        ::close(fd_);
        fd_ = -1;
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::Acquired;
        return;
    }
    if (errno == EWOULDBLOCK) {
        state_ = State::HeldElsewhere;
    } else {
        error_ = errnoText(errno);
    }
    ::close(fd_);
    fd_ = -1;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

}  // namespace codalume
