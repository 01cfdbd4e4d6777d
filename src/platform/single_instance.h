// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace codalume {

// The user's private runtime folder, which holds the single-instance lock and the channel
// other starts reach the running program through. $XDG_RUNTIME_DIR when set; else
// codalume-<host name> in the user's cache folder ($XDG_CACHE_HOME, else ~/.cache), made on
// first use with mode 0700. Either must be a folder of this user that no one else may write
// to; `path` is empty and `error` says why when it is not (an $XDG_RUNTIME_DIR of another user
// means another user's session: it is not replaced).
struct RuntimeFolder {
    QString path;
    QString error;
};
RuntimeFolder runtimeFolder();

// One running tray program per user: an exclusive lock on a file in the user's runtime folder,
// held for the life of the process and dropped by the system when it ends, however it ends.
class SingleInstanceLock {
  public:
    enum class State {
        Acquired,       // this process is the one instance
        HeldElsewhere,  // another process holds the lock
        Unavailable,    // the lock file could not be opened; see error()
    };

    // The lock "codalume.lock" in runtimeFolder().
    SingleInstanceLock();
    explicit SingleInstanceLock(const QString &path);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    State state() const { return state_; }
    QString error() const { return error_; }
    QString path() const { return path_; }

  private:
    void acquire();

    QString path_;
    QString error_;
    State state_ = State::Unavailable;
    int fd_ = -1;
};

}  // namespace codalume
