// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <optional>

namespace codalume {

// A failed file-system step: what the user reads, the number and the family it comes from.
struct FileError {
    QString description;
    qint64 code = 0;
    QString domain;

    bool operator==(const FileError &) const = default;
};

// Errors of the operating system: errno as the code, its text as the description.
inline const QString posixErrorDomain = QStringLiteral("posix");
FileError posixError(int errorNumber);

// The one error of the program's own: a picture that could not be turned into PNG data.
FileError conversionError();

// Whether anything, even a dangling symbolic link, is at the path.
bool pathExists(const QString &path);

// Creates the directory and any missing parents.
std::optional<FileError> makeDirectories(const QString &path);

// A directory whose entries this process may create.
bool isWritableDirectory(const QString &path);

// "name.png", "name_2.png", "name_3.png", ... for attempt 1, 2, 3, ...
QString numberedFileName(const QString &fileName, int attempt);

// Produces a file's content into `out` (unbuffered, straight to the file), so content larger
// than memory can be streamed. False when it cannot, with a one-line reason when it has one.
using FileContent = std::function<bool(QIODevice &out, QString *reason)>;

// Writes the content to a new file in `directory` under `fileName`, or under the first
// numbered variant that is free: an existing file is never replaced, even one that another
// process creates meanwhile. The content goes to a temporary file in the same directory first
// and appears under its name in one step, so no half-written file is ever visible or left
// behind. Returns the path written, or the error: errno's when the system refused, else the
// content's reason under the conversion error's code and domain. The file gets `permissions`
// less the umask, as open() gives them.
struct WriteResult {
    QString path;
    std::optional<FileError> error;
};
WriteResult writeNewFile(const QString &directory, const QString &fileName,
                         const FileContent &content, mode_t permissions = 0666);
WriteResult writeNewFile(const QString &directory, const QString &fileName,
                         const QByteArray &bytes);

// Writes the content to `path`, replacing what is there in one step (through a temporary file
// in the same directory; a chain of symbolic links is followed, where the kernel would follow
// it, and its end replaced or made). A character device or FIFO at the path (/dev/stdout,
// /dev/null, a named pipe) is written into instead and never replaced; a block device or
// socket is refused.
std::optional<FileError> replaceFile(const QString &path, const FileContent &content);
std::optional<FileError> replaceFile(const QString &path, const QByteArray &bytes);

// Streams the content into a descriptor that is open for writing (standard output, a
// device, a pipe). What was written before a failure stays written.
std::optional<FileError> writeToDescriptor(int fd, const FileContent &content);

// The two steps of writeNewFile and replaceFile apart, so that the slow one can run on another
// thread and the caller can still drop the file before it appears: write() fills a private
// temporary file beside the file's place and flushes it to disk, place() puts it in place in
// one step. A file that is not placed is removed (discard(), or at destruction), so a
// cancelled or failed write leaves nothing behind.
class PreparedFile {
  public:
    // A new file in `directory` named `fileName`, or its first free numbered variant, with
    // `permissions` less the umask.
    static PreparedFile newFile(const QString &directory, const QString &fileName,
                                mode_t permissions = 0666);
    // `path` replaced (the end of a chain of symbolic links, keeping that file's permissions). A
    // device node or FIFO there is written into instead, as by replaceFile.
    static PreparedFile replacing(const QString &path);

    PreparedFile(PreparedFile &&other) noexcept;
    PreparedFile &operator=(PreparedFile &&other) noexcept;
    ~PreparedFile();

    // Errors as writeNewFile's; nothing is left behind when it fails. Once only.
    std::optional<FileError> write(const FileContent &content);
    // After a successful write(): the path written, or the error.
    WriteResult place();
    void discard();

  private:
    PreparedFile(const QString &directory, const QString &fileName, const QString &target);

    QString directory_;
    QString fileName_;  // a new file's name
    QString target_;    // the file to replace; empty for a new file
    int refusal_ = 0;   // errno when the target's links cannot be followed
    QByteArray temporary_;
    mode_t permissions_ = 0666;  // a new file's
    int temporaryFd_ = -1;       // open and locked while the temporary file is ours
    bool writtenInto_ = false;   // the target is a device or FIFO that took the content
};

std::optional<FileError> removeFile(const QString &path);

}  // namespace codalume
