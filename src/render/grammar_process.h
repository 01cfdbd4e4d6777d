// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <mutex>
#include <optional>

namespace codalume {

// The grammar helper process (codalume-grammar), started once per process on first use and
// again when it died. Requests and replies are frames (render/grammar_protocol.h). Every
// exchange has a deadline: a helper that does not answer in time is killed, so no caller ever
// waits for it forever. Safe to use from several threads; exchanges take turns.
class GrammarProcess {
  public:
    static GrammarProcess &instance();

    // Where the helper is looked for: beside the executable (the build tree), then in
    // ../libexec/codalume/ relative to it (installed). A test may name another program; an
    // empty path brings the usual places back. The running helper is stopped.
    void setProgram(const QString &path);

    // Starts the helper now if it is not running, without waiting for it, so that its own
    // start-up overlaps the caller's. Failures are reported by the next exchange.
    void prepare();

    // Sends one request and returns the reply's payload; nothing, with the reason in
    // `failure`, when the helper is missing, died, or took longer than `timeoutMs`.
    std::optional<QByteArray> exchange(const QByteArray &request, int timeoutMs, QString *failure);

    // Stops the helper, if it runs, and waits for it to end.
    void stop();

    // The running helper's process id, or -1.
    pid_t processId();

    ~GrammarProcess();
    GrammarProcess(const GrammarProcess &) = delete;
    GrammarProcess &operator=(const GrammarProcess &) = delete;

    enum class Transfer { done, timedOut, closed, failed };

  private:
    struct Outcome {
        Transfer transfer = Transfer::done;
        int error = 0;
        quint32 tooLarge = 0;
        QByteArray reply;
    };

    GrammarProcess() = default;
    Outcome roundTripLocked(const QByteArray &request, int timeoutMs);
    QString reapLocked();
    bool startLocked(QString *failure);
    void stopLocked();
    QString programLocked() const;

    std::mutex mutex_;
    QString program_;
    pid_t pid_ = -1;
    int socket_ = -1;
};

}  // namespace codalume
