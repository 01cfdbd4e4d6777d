// SPDX-License-Identifier: MIT
#include "cli/long_render.h"

#include <unistd.h>

#include <QString>
#include <algorithm>

#include "render/trace.h"

namespace codalume {

TerminalProgress::TerminalProgress(std::chrono::milliseconds delay)
    : terminal_(::isatty(STDERR_FILENO) == 1), delay_(delay) {
    clock_.start();
}

TerminalProgress::~TerminalProgress() {
    clear();
}

void TerminalProgress::update(int done, int total) {
    if (!terminal_ || total <= 0 || clock_.elapsed() < delay_.count()) {
        return;
    }
    const int percent = static_cast<int>(100LL * done / total);
    if (percent == shownPercent_) {
        return;
    }
    shownPercent_ = percent;
    const QString line = QStringLiteral("codalume: rendering %1%").arg(percent);
    shownWidth_ = std::max(shownWidth_, static_cast<int>(line.size()));
    printText(stderr, u'\r' + line);
}

void TerminalProgress::clear() {
    if (shownPercent_ < 0) {
        return;
    }
    shownPercent_ = -1;
    printText(stderr, u'\r' + QString(shownWidth_, u' ') + u'\r');
}

}  // namespace codalume
