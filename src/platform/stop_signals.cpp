// SPDX-License-Identifier: MIT
#include "platform/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>

namespace codalume {

namespace {

volatile std::sig_atomic_t receivedSignal = 0;
// Written by the handler when an event loop waits for the stop; -1 otherwise.
int wakePipe[2] = {-1, -1};

extern "C" void noteStop(int number) {
    if (receivedSignal != 0) {
        ::signal(number, SIG_DFL);
        ::raise(number);  // delivered as the handler returns
        return;
    }
    const int savedErrno = errno;
    receivedSignal = number;
    if (wakePipe[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    }
    errno = savedErrno;
}

void takeOver(int number, struct sigaction *previous) {
    if (::sigaction(number, nullptr, previous) != 0 || previous->sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked open() or write() returns with EINTR
    ::sigaction(number, &action, nullptr);
}

void closeWakePipe() {
    for (int &fd : wakePipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop) {
    receivedSignal = 0;
    if (onStop && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [onStop = std::move(onStop)] {
                             char byte;
                             while (::read(wakePipe[0], &byte, 1) > 0) {
                                 // emptied, so the notifier does not fire again for this signal
                             }
                             onStop();
                         });
    }
    takeOver(SIGINT, &previousInterrupt_);
    takeOver(SIGTERM, &previousTerminate_);
}

StopSignals::~StopSignals() {
    ::sigaction(SIGINT, &previousInterrupt_, nullptr);
    ::sigaction(SIGTERM, &previousTerminate_, nullptr);
    notifier_.reset();
    closeWakePipe();
}

bool StopSignals::stopRequested() {
    return receivedSignal != 0;
}

void StopSignals::endProcessIfStopped() {
    const int number = receivedSignal;
    if (number == 0) {
        return;
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
    std::_Exit(128 + number);  // only if the signal is blocked
}

}  // namespace codalume
