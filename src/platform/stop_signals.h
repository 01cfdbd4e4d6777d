// SPDX-License-Identifier: MIT
#pragma once

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace codalume {

// Ctrl+C (SIGINT) and SIGTERM (the end of the session, kill) stop the program in order rather
// than where it stands, so that nothing half-written stays behind. While a StopSignals lives,
// the first of them is only noted and, given `onStop`, wakes the event loop of the thread that
// made it to run onStop; a second one acts at once. System calls are not restarted after the
// signal: an open() or write() that a pipe nobody reads holds up returns, and the writer gives
// up once stopRequested(). Signals the process was started to ignore (nohup, a background job)
// stay ignored. One lives at a time.
class StopSignals {
  public:
    explicit StopSignals(std::function<void()> onStop = {});
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // Whether a stop signal came since the last StopSignals was made.
    static bool stopRequested();
    // After a stop: ends the process by that signal, as its default action would have (a
    // shell sees 130 or 143 and stops the script that ran it). Nothing otherwise.
    static void endProcessIfStopped();

  private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace codalume
