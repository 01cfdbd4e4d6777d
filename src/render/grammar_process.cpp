// SPDX-License-Identifier: MIT
#include "render/grammar_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <limits>

#include "render/grammar_protocol.h"
#include "render/trace.h"

extern char **environ;

namespace codalume {

namespace {

using Clock = std::chrono::steady_clock;
using Transfer = GrammarProcess::Transfer;

constexpr char kProgramName[] = "codalume-grammar";

// The places the helper is looked for, relative to the running executable.
QStringList programCandidates() {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QString folder = QFileInfo(executable).absolutePath();
    return {
        folder + u'/' + QLatin1String(kProgramName),
        QFileInfo(folder + QStringLiteral("/../libexec/codalume/") + QLatin1String(kProgramName))
            .absoluteFilePath()};
}

// Waits until `fd` is ready for `events` or the deadline passed; false on a timeout.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(
            &entry, 1,
            static_cast<int>(std::min<long long>(left.count(), std::numeric_limits<int>::max())));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

Transfer sendAll(int fd, const char *data, size_t size, Clock::time_point deadline, int *error) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (errno == EAGAIN && !waitFor(fd, POLLOUT, deadline)) {
                return Transfer::timedOut;
            }
            continue;
        }
        *error = errno;
        return errno == EPIPE || errno == ECONNRESET ? Transfer::closed : Transfer::failed;
    }
    return Transfer::done;
}

Transfer receiveAll(int fd, char *data, size_t size, Clock::time_point deadline, int *error) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            return Transfer::closed;
        }
        if (errno == EAGAIN || errno == EINTR) {
            if (errno == EAGAIN && !waitFor(fd, POLLIN, deadline)) {
                return Transfer::timedOut;
            }
            continue;
        }
        *error = errno;
        return errno == ECONNRESET ? Transfer::closed : Transfer::failed;
    }
    return Transfer::done;
}

QByteArray frameHeader(quint32 size) {
    const char bytes[4] = {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                           static_cast<char>(size >> 8), static_cast<char>(size)};
    return QByteArray(bytes, 4);
}

quint32 frameSize(const char *header) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(header);
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 |
           quint32(bytes[3]);
}

QString endOf(int status) {
    if (WIFSIGNALED(status)) {
        return QStringLiteral("ended by signal %1").arg(WTERMSIG(status));
    }
    return QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
}

}  // namespace

GrammarProcess &GrammarProcess::instance() {
    static GrammarProcess process;
    return process;
}

GrammarProcess::~GrammarProcess() {
    const std::lock_guard lock(mutex_);
    stopLocked();
}

void GrammarProcess::setProgram(const QString &path) {
    const std::lock_guard lock(mutex_);
    stopLocked();
    program_ = path;
}

void GrammarProcess::prepare() {
    const std::lock_guard lock(mutex_);
    QString ignored;
    if (pid_ < 0) {
        startLocked(&ignored);
    }
}

void GrammarProcess::stop() {
    const std::lock_guard lock(mutex_);
    stopLocked();
}

pid_t GrammarProcess::processId() {
    const std::lock_guard lock(mutex_);
    return pid_;
}

QString GrammarProcess::programLocked() const {
    if (!program_.isEmpty()) {
        return program_;
    }
    for (const QString &candidate : programCandidates()) {
        if (QFileInfo(candidate).isExecutable()) {
            return candidate;
        }
    }
    return QString();
}

bool GrammarProcess::startLocked(QString *failure) {
    const QString program = programLocked();
    if (program.isEmpty() || !QFileInfo(program).isFile()) {
        const QStringList places = program_.isEmpty() ? programCandidates() : QStringList{program_};
        *failure = QStringLiteral("the grammar highlighter is not installed: %1 %2 missing")
                       .arg(places.join(QStringLiteral(" and ")),
                            places.size() > 1 ? QStringLiteral("are") : QStringLiteral("is"));
        return false;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        *failure = QStringLiteral("cannot start the grammar highlighter: %1").arg(errnoText(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const QByteArray path = QFile::encodeName(program);
    char *argv[] = {const_cast<char *>(path.constData()), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, path.constData(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[1]);
    if (error != 0) {
        ::close(ends[0]);
        *failure = QStringLiteral("cannot start the grammar highlighter %1: %2")
                       .arg(program, errnoText(error));
        return false;
    }
    pid_ = pid;
    socket_ = ends[0];
    return true;
}

void GrammarProcess::stopLocked() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
}

// One request and its reply on the running helper.
GrammarProcess::Outcome GrammarProcess::roundTripLocked(const QByteArray &request, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Outcome outcome;
    const QByteArray frame = frameHeader(static_cast<quint32>(request.size())) + request;
    outcome.transfer = sendAll(socket_, frame.constData(), static_cast<size_t>(frame.size()),
                               deadline, &outcome.error);
    char header[4];
    if (outcome.transfer == Transfer::done) {
        outcome.transfer = receiveAll(socket_, header, sizeof header, deadline, &outcome.error);
    }
    if (outcome.transfer != Transfer::done) {
        return outcome;
    }
    const quint32 size = frameSize(header);
    if (size > grammar_protocol::maxFrameBytes) {
        outcome.transfer = Transfer::failed;
        outcome.tooLarge = size;
        return outcome;
    }
    outcome.reply.resize(static_cast<qsizetype>(size));
    outcome.transfer = receiveAll(socket_, outcome.reply.data(), size, deadline, &outcome.error);
    return outcome;
}

// How the helper ended, once its end of the socket closed: it is given a moment to exit.
QString GrammarProcess::reapLocked() {
    for (int i = 0; i < 50 && pid_ > 0; ++i) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            stopLocked();
            return endOf(status);
        }
        ::usleep(2000);
    }
    stopLocked();
    return QStringLiteral("it closed its output");
}

std::optional<QByteArray> GrammarProcess::exchange(const QByteArray &request, int timeoutMs,
                                                   QString *failure) {
    const std::lock_guard lock(mutex_);
    // A helper that ended since the last exchange is started again once; one that fails
    // right after its start is not tried a third time.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool fresh = pid_ < 0;
        if (fresh && !startLocked(failure)) {
            return std::nullopt;
        }
        const Outcome outcome = roundTripLocked(request, timeoutMs);
        if (outcome.transfer == Transfer::done) {
            return outcome.reply;
        }
        if (outcome.transfer == Transfer::closed) {
            const QString end = reapLocked();
            if (!fresh) {
                continue;
            }
            *failure = QStringLiteral("the grammar highlighter stopped unexpectedly (%1)").arg(end);
            return std::nullopt;
        }
        stopLocked();
        if (outcome.transfer == Transfer::timedOut) {
            *failure = QStringLiteral("the grammar highlighter did not answer within %1 s")
                           .arg(timeoutMs / 1000.0);
        } else if (outcome.tooLarge > 0) {
            *failure = QStringLiteral(
                           "the grammar highlighter sent a reply of %1 bytes, more "
                           "than it may")
                           .arg(outcome.tooLarge);
        } else {
            *failure = QStringLiteral("cannot talk to the grammar highlighter: %1")
                           .arg(errnoText(outcome.error));
        }
        return std::nullopt;
    }
    *failure = QStringLiteral("the grammar highlighter stopped unexpectedly");
    return std::nullopt;
}

}  // namespace codalume
