#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace codalume {

QString SingleInstanceLock::defaultPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime + QStringLiteral("/codalume.lock");
    }
    return QStringLiteral("/tmp/codalume-%1.lock").arg(::getuid());
}

SingleInstanceLock::SingleInstanceLock(const QString &path) : path_(path) {
    const QByteArray native = QFileInfo(path).absoluteFilePath().toLocal8Bit();
    // No symlinks: in a shared folder another user could point the name elsewhere.
    fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
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
        error_ = QString::fromLocal8Bit(std::strerror(errno));
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
