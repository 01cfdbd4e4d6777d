#include "cli/long_render.h"

#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <cstdio>

namespace codalume {

namespace {

void writeToStandardError(const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

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
    const QByteArray line = "codalume: rendering " + QByteArray::number(percent) + '%';
    shownWidth_ = std::max(shownWidth_, static_cast<int>(line.size()));
    writeToStandardError('\r' + line);
}

void TerminalProgress::clear() {
    if (shownPercent_ < 0) {
        return;
    }
    shownPercent_ = -1;
    writeToStandardError('\r' + QByteArray(shownWidth_, ' ') + '\r');
}

}  // namespace codalume
