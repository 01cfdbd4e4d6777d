// SPDX-License-Identifier: MIT
#include "platform/save_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_links.h"
#include "platform/stop_signals.h"
#include "platform/temporary_files.h"
#include "platform/ui_text.h"
#include "render/output_device.h"
#include "render/trace.h"

namespace codalume {

namespace {

// Enough numbered names for any burst of saves within one second.
constexpr int maxNumberedAttempts = 10'000;

QByteArray nativePath(const QString &path) {
    return QFile::encodeName(path);
}

bool isDirectory(const QByteArray &path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The process's umask, read without changing it (umask() would race other threads).
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok) {
                    return static_cast<mode_t>(value & 0777);
                }
            }
        }
    }
    return 022;
}

int makeDirectoriesNative(const QByteArray &path, int depth) {
    if (::mkdir(path.constData(), 0777) == 0) {
        return 0;
    }
    const int error = errno;
    if (error == EEXIST) {
        return isDirectory(path) ? 0 : EEXIST;
    }
    const QByteArray parent = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    if (error != ENOENT || parent == path || parent.isEmpty() || depth > 4096) {
        return error;
    }
    if (const int parentError = makeDirectoriesNative(parent, depth + 1); parentError != 0) {
        return parentError;
    }
    if (::mkdir(path.constData(), 0777) == 0 || (errno == EEXIST && isDirectory(path))) {
        return 0;
    }
    return errno;
}

struct DescriptorCloser {
    int fd;
    ~DescriptorCloser() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

FileContent contentOf(const QByteArray &bytes) {
    return [&bytes](QIODevice &out, QString *) { return out.write(bytes) == bytes.size(); };
}

// Content that could not be produced: errno's error when a write failed, with the content's
// own reason as the description when it gives one.
FileError contentFailure(int errorNumber, const QString &reason) {
    FileError error = errorNumber != 0 ? posixError(errorNumber) : conversionError();
    if (!reason.isEmpty()) {
        error.description = reason;
    }
    return error;
}

// A private file beside the target, filled and flushed to disk, its descriptor left open: the
// lock on it marks the file as ours until it is placed or dropped. Leftovers of killed runs in
// the folder go first. Leaves nothing behind on failure.
std::optional<FileError> writeTemporary(const QString &directory, const FileContent &content,
                                        mode_t mode, QByteArray *temporaryPath, int *temporaryFd) {
    removeLeftoverTemporaries(directory);
    QByteArray path;
    const int fd = createTemporaryFile(directory, &path);
    if (fd < 0) {
        return posixError(-fd);
    }
    std::optional<FileError> error = writeToDescriptor(fd, content);
    if (!error && ::fchmod(fd, mode) != 0) {
        error = posixError(errno);
    }
    // fsync reports what a later close could (NFS defers write errors to these two).
    if (!error && ::fsync(fd) != 0) {
        error = posixError(errno);
    }
    if (error) {
        ::unlink(path.constData());
        ::close(fd);
        return error;
    }
    *temporaryPath = path;
    *temporaryFd = fd;
    return std::nullopt;
}

// Gives the finished temporary file its name unless that name is taken (EEXIST then).
int placeWithoutReplacing(const QByteArray &from, const QByteArray &to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return errno;
    }
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        return errno;
    }
    // Neither (e.g. FAT): check, then rename; only a concurrent writer could slip in between.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0) {
        return EEXIST;
    }
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

}  // namespace

FileError posixError(int errorNumber) {
    return {errnoText(errorNumber), errorNumber, posixErrorDomain};
}

FileError conversionError() {
    return {Ui::tr("图像转换失败"), 1001, QStringLiteral("com.codalume")};
}

bool pathExists(const QString &path) {
    struct stat info {};
    return ::lstat(nativePath(path).constData(), &info) == 0;
}

std::optional<FileError> makeDirectories(const QString &path) {
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty()) {
        return posixError(ENOENT);
    }
    if (const int error = makeDirectoriesNative(nativePath(clean), 0); error != 0) {
        return posixError(error);
    }
    return std::nullopt;
}

bool isWritableDirectory(const QString &path) {
    const QByteArray native = nativePath(path);
    return isDirectory(native) && ::access(native.constData(), W_OK | X_OK) == 0;
}

QString numberedFileName(const QString &fileName, int attempt) {
    if (attempt <= 1) {
        return fileName;
    }
    const QString suffix = QStringLiteral("_") + QString::number(attempt);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0) {
        return fileName + suffix;
    }
    return fileName.left(dot) + suffix + fileName.mid(dot);
}

PreparedFile::PreparedFile(const QString &directory, const QString &fileName, const QString &target)
    : directory_(directory), fileName_(fileName), target_(target) {}

PreparedFile PreparedFile::newFile(const QString &directory, const QString &fileName,
                                   mode_t permissions) {
    PreparedFile file(directory, fileName, QString());
    file.permissions_ = permissions;
    return file;
}

PreparedFile PreparedFile::replacing(const QString &path) {
    // The end of a chain of links gets the content, and every link stays.
    const LinkEnd end = followLinks(path);
    PreparedFile file(QFileInfo(end.path).path(), QString(), end.path);
    file.refusal_ = end.error;
    return file;
}

PreparedFile::PreparedFile(PreparedFile &&other) noexcept
    : directory_(std::move(other.directory_)),
      fileName_(std::move(other.fileName_)),
      target_(std::move(other.target_)),
      refusal_(other.refusal_),
      temporary_(std::exchange(other.temporary_, QByteArray())),
      permissions_(other.permissions_),
      temporaryFd_(std::exchange(other.temporaryFd_, -1)),
      writtenInto_(std::exchange(other.writtenInto_, false)) {}

PreparedFile &PreparedFile::operator=(PreparedFile &&other) noexcept {
    if (this != &other) {
        discard();
        directory_ = std::move(other.directory_);
        fileName_ = std::move(other.fileName_);
        target_ = std::move(other.target_);
        refusal_ = other.refusal_;
        temporary_ = std::exchange(other.temporary_, QByteArray());
        permissions_ = other.permissions_;
        temporaryFd_ = std::exchange(other.temporaryFd_, -1);
        writtenInto_ = std::exchange(other.writtenInto_, false);
    }
    return *this;
}

PreparedFile::~PreparedFile() {
    discard();
}

std::optional<FileError> PreparedFile::write(const FileContent &content) {
    discard();
    writtenInto_ = false;
    if (refusal_ != 0) {
        return posixError(refusal_);
    }
    // A device node or a pipe is a place to write into: renaming a file over it would destroy
    // it (as root, /dev/full or /dev/null itself).
    struct stat node {};
    if (!target_.isEmpty() && ::stat(nativePath(target_).constData(), &node) == 0 &&
        !S_ISREG(node.st_mode) && !S_ISDIR(node.st_mode)) {
        if (!S_ISCHR(node.st_mode) && !S_ISFIFO(node.st_mode)) {
            FileError refused = posixError(EINVAL);
            refused.description = QStringLiteral("it is a block device or socket, not a file");
            return refused;
        }
        const int fd = ::open(nativePath(target_).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            return posixError(errno);
        }
        std::optional<FileError> error = writeToDescriptor(fd, content);
        if (::close(fd) != 0 && !error) {
            error = posixError(errno);
        }
        writtenInto_ = !error;
        return error;
    }
    mode_t mode = permissions_ & ~currentUmask();
    struct stat existing {};
    if (!target_.isEmpty() && ::stat(nativePath(target_).constData(), &existing) == 0 &&
        S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 07777;
    }
    return writeTemporary(directory_, content, mode, &temporary_, &temporaryFd_);
}

WriteResult PreparedFile::place() {
    if (std::exchange(writtenInto_, false)) {
        return {target_, std::nullopt};
    }
    if (temporary_.isEmpty()) {
        return {QString(), posixError(ENOENT)};
    }
    const QByteArray temporary = std::exchange(temporary_, QByteArray());
    // Locked until it has its name, so that no cleanup takes it for a leftover.
    const DescriptorCloser lock{std::exchange(temporaryFd_, -1)};
    if (!target_.isEmpty()) {
        if (::rename(temporary.constData(), nativePath(target_).constData()) != 0) {
            const int error = errno;
            ::unlink(temporary.constData());
            return {QString(), posixError(error)};
        }
        return {target_, std::nullopt};
    }
    for (int attempt = 1; attempt <= maxNumberedAttempts; ++attempt) {
        const QString path = directory_ + u'/' + numberedFileName(fileName_, attempt);
        const int error = placeWithoutReplacing(temporary, nativePath(path));
        if (error == 0) {
            return {path, std::nullopt};
        }
        if (error != EEXIST) {
            ::unlink(temporary.constData());
            return {QString(), posixError(error)};
        }
    }
    ::unlink(temporary.constData());
    return {QString(), posixError(EEXIST)};
}

void PreparedFile::discard() {
    if (!temporary_.isEmpty()) {
        ::unlink(std::exchange(temporary_, QByteArray()).constData());
    }
    if (temporaryFd_ >= 0) {
        ::close(std::exchange(temporaryFd_, -1));
    }
}

WriteResult writeNewFile(const QString &directory, const QString &fileName,
                         const FileContent &content, mode_t permissions) {
    PreparedFile file = PreparedFile::newFile(directory, fileName, permissions);
    if (std::optional<FileError> error = file.write(content)) {
        return {QString(), std::move(error)};
    }
    return file.place();
}

WriteResult writeNewFile(const QString &directory, const QString &fileName,
                         const QByteArray &bytes) {
    return writeNewFile(directory, fileName, contentOf(bytes));
}

std::optional<FileError> writeToDescriptor(int fd, const FileContent &content) {
    OutputDevice device(fd, &StopSignals::stopRequested);
    QString reason;
    if (!content(device, &reason)) {
        return contentFailure(device.errorNumber(), reason);
    }
    return std::nullopt;
}

std::optional<FileError> replaceFile(const QString &path, const FileContent &content) {
    PreparedFile file = PreparedFile::replacing(path);
    if (std::optional<FileError> error = file.write(content)) {
        return error;
    }
    return file.place().error;
}

std::optional<FileError> replaceFile(const QString &path, const QByteArray &bytes) {
    return replaceFile(path, contentOf(bytes));
}

std::optional<FileError> removeFile(const QString &path) {
    if (::unlink(nativePath(path).constData()) != 0) {
        return posixError(errno);
    }
    return std::nullopt;
}

}  // namespace codalume
