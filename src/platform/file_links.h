// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "platform/save_file.h"

namespace codalume {

// The end of the chain of symbolic links at `path` (`path` itself when it is no link): the
// file a write through the path reaches, which need not exist yet. `error` is errno's when the
// chain cannot be followed: ELOOP past 40 links, EACCES for a link the kernel's
// protected_symlinks rule would not follow.
struct LinkEnd {
    QString path;
    int error = 0;
};
LinkEnd followLinks(const QString &path);

// A symbolic link at `path` that leads nowhere: its target as written, and the error of
// following it (ENOENT for a missing place, ELOOP for a loop).
struct BrokenLink {
    QString target;
    FileError error;
};
std::optional<BrokenLink> brokenLink(const QString &path);

}  // namespace codalume
