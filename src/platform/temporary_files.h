// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace codalume {

// A save's temporary file is named ".codalume-XXXXXX" beside its target and holds an exclusive
// flock through its descriptor for its whole life. The kernel drops that lock when the holder
// ends, however it ends, so a free lock marks the leftover of a run that was killed, and a
// held one a save under way, however slow, in any process (our own included: flock locks
// belong to the open file, not to the process).

// A new locked temporary file in `directory`, open for writing: its descriptor, or -errno.
int createTemporaryFile(const QString &directory, QByteArray *path);

// Removes the leftovers in `directory`: our own regular files of that name whose lock is free.
// Links, other kinds of file, other users' files and other names are never touched.
void removeLeftoverTemporaries(const QString &directory);

}  // namespace codalume
