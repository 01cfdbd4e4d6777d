#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <csignal>

namespace codalume {

// A one-line percentage on standard error while a long render runs, rewritten in place and
// removed at the end. Only on a terminal: scripts and logs that read standard error see
// nothing of it.
class TerminalProgress {
  public:
    // Counts from now; nothing shows before `delay` has passed.
    explicit TerminalProgress(std::chrono::milliseconds delay = std::chrono::seconds(1));
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    void update(int done, int total);
    // Removes the line, if one is shown.
    void clear();

  private:
    const bool terminal_;
    const std::chrono::milliseconds delay_;
    QElapsedTimer clock_;
    int shownPercent_ = -1;
    int shownWidth_ = 0;
};

// While it lives, Ctrl+C (SIGINT) and SIGTERM only take note, so that the work can stop
// between two bands and remove its temporary file; a second signal acts at once. Signals the
// process was started to ignore stay ignored.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    static bool interrupted();
    // After an interruption: ends the process by that signal, as the default action would
    // have (a shell sees 130 or 143 and stops a script that runs it).
    void exitIfInterrupted() const;

  private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

}  // namespace codalume
