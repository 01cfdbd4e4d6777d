// SPDX-License-Identifier: MIT
#pragma once

#include <QIODevice>

namespace codalume {

// Where written bytes go: a file descriptor, another device, or nowhere. Counts the bytes it
// is given and keeps the first failed write, with its errno when the system gave one; after a
// failure nothing more reaches the destination. Opened for writing, unbuffered.
class OutputDevice : public QIODevice {
  public:
    // Nowhere: the bytes are only counted.
    OutputDevice();
    // Straight to the descriptor, which stays open. `stopRequested`, when given, ends a write
    // that a pipe nobody reads holds up (the write is then interrupted: EINTR).
    explicit OutputDevice(int fd, bool (*stopRequested)() = nullptr);
    // On to `target`; nowhere when it is null.
    explicit OutputDevice(QIODevice *target);

    // Once a write has failed, later ones are counted, dropped and succeed, so the whole data
    // can still be measured.
    void keepCountingAfterFailure() { keepCounting_ = true; }

    qint64 count() const { return count_; }
    bool failed() const { return failed_; }
    // errno of the failed write; 0 when none failed or the target gave no number.
    int errorNumber() const { return errorNumber_; }

    // Pushes out what a file target keeps in its buffer (a full disk shows only then). False
    // when any write failed.
    bool finish();

  protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

  private:
    void writeToDescriptor(const char *data, qint64 size);
    void fail(int errorNumber, const QString &reason);

    int fd_ = -1;
    bool (*stopRequested_)() = nullptr;
    QIODevice *target_ = nullptr;
    bool keepCounting_ = false;
    qint64 count_ = 0;
    bool failed_ = false;
    int errorNumber_ = 0;
};

}  // namespace codalume
