#pragma once

#include <QString>

namespace codalume {

// One running tray program per user: an exclusive lock on a file in the user's runtime folder,
// held for the life of the process and dropped by the system when it ends, however it ends.
class SingleInstanceLock {
  public:
    enum class State {
        Acquired,       // this process is the one instance
        HeldElsewhere,  // another process holds the lock
        Unavailable,    // the lock file could not be opened; see error()
    };

    explicit SingleInstanceLock(const QString &path = defaultPath());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    State state() const { return state_; }
    QString error() const { return error_; }
    QString path() const { return path_; }

    // "$XDG_RUNTIME_DIR/codalume.lock" when that folder exists, else a per-user file in /tmp.
    static QString defaultPath();

  private:
    QString path_;
    QString error_;
    State state_ = State::Unavailable;
    int fd_ = -1;
};

}  // namespace codalume
