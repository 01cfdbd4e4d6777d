// SPDX-License-Identifier: MIT
#pragma once

namespace codalume {

// Access to the clipboard where the desktop limits it. `prepare` runs right before a capture
// reads the clipboard and makes the read see what the user copied last; false when that failed
// and a read would see nothing or something older.
class ClipboardAccess {
  public:
    virtual ~ClipboardAccess() = default;
    virtual bool prepare() = 0;
};

}  // namespace codalume
