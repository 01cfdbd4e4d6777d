// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

namespace codalume::fuzz {

// Any byte string as text, the way a clipboard could deliver it (invalid UTF-8 included).
inline QString textFrom(const uint8_t *data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

[[noreturn]] inline void fail(const char *what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

}  // namespace codalume::fuzz
