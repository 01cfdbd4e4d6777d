// SPDX-License-Identifier: MIT
#include "render/output_device.h"

#include <unistd.h>

#include <QFileDevice>
#include <algorithm>
#include <cerrno>

#include "render/trace.h"

namespace codalume {

OutputDevice::OutputDevice() : OutputDevice(nullptr) {}

OutputDevice::OutputDevice(int fd, bool (*stopRequested)())
    : fd_(fd), stopRequested_(stopRequested) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

OutputDevice::OutputDevice(QIODevice *target) : target_(target) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool OutputDevice::finish() {
    auto *file = qobject_cast<QFileDevice *>(target_);
    if (!failed_ && file && !file->flush()) {
        fail(0, file->errorString());
    }
    return !failed_;
}

qint64 OutputDevice::writeData(const char *data, qint64 size) {
    if (!failed_) {
        if (fd_ >= 0) {
            writeToDescriptor(data, size);
        } else if (target_ && target_->write(data, size) != size) {
            fail(0, target_->errorString());
        }
    }
    if (failed_ && !keepCounting_) {
        return -1;
    }
    count_ += size;
    return size;
}

void OutputDevice::writeToDescriptor(const char *data, qint64 size) {
    qint64 written = 0;
    while (written < size) {
        const ssize_t step = ::write(fd_, data + written, static_cast<size_t>(size - written));
        const int error = step < 0 ? errno : 0;
        written += std::max<ssize_t>(step, 0);
        if ((error != 0 && error != EINTR) ||
            (written < size && stopRequested_ && stopRequested_())) {
            fail(error != 0 ? error : EINTR, QString());
            return;
        }
    }
}

void OutputDevice::fail(int errorNumber, const QString &reason) {
    failed_ = true;
    errorNumber_ = errorNumber;
    setErrorString(errorNumber != 0 ? errnoText(errorNumber) : reason);
}

}  // namespace codalume
