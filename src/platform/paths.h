// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace codalume {

// The user's home directory: $HOME when set, else the system's answer.
QString homeDirectory();

// The XDG download directory ($HOME/Downloads unless the user's XDG settings name another).
QString downloadsDirectory();

// The process's temporary directory ($TMPDIR, else /tmp), without a trailing slash.
QString temporaryDirectory();

// The absolute path of the running executable, and the folder that holds it.
QString applicationPath();
QString applicationDirectory();

}  // namespace codalume
