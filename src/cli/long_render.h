// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <chrono>

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

}  // namespace codalume
