#include "cli/long_render.h"

#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace codalume {

namespace {

volatile std::sig_atomic_t receivedSignal = 0;

extern "C" void noteSignal(int number) {
    receivedSignal = number;
}

void writeToStandardError(const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void takeNoteOf(int number, struct sigaction *previous) {
    if (::sigaction(number, nullptr, previous) != 0 || previous->sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Writes carry on after the signal; the next one gets the default action.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(number, &action, nullptr);
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

InterruptGuard::InterruptGuard() {
    receivedSignal = 0;
    takeNoteOf(SIGINT, &previousInterrupt_);
    takeNoteOf(SIGTERM, &previousTerminate_);
}

InterruptGuard::~InterruptGuard() {
    ::sigaction(SIGINT, &previousInterrupt_, nullptr);
    ::sigaction(SIGTERM, &previousTerminate_, nullptr);
}

bool InterruptGuard::interrupted() {
    return receivedSignal != 0;
}

void InterruptGuard::exitIfInterrupted() const {
    const int number = receivedSignal;
    if (number == 0) {
        return;
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
    std::_Exit(128 + number);  // only if the signal is blocked
}

}  // namespace codalume
