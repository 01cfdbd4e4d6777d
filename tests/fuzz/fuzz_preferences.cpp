// SPDX-License-Identifier: MIT
#include "fuzz_support.h"
#include "settings/preferences_file.h"

// Any bytes decode either to a record that encodes and decodes back to itself exactly, or to
// nothing (the caller then uses the full defaults); never a crash. (A file without an optional
// part of the card loads with it off: the settings tests check that on an older file.)
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<codalume::UserPreferences> decoded = codalume::decodePreferences(bytes);
    if (!decoded) {
        return 0;
    }
    const std::optional<QByteArray> encoded = codalume::encodePreferences(*decoded);
    if (!encoded) {
        codalume::fuzz::fail("a decoded record does not encode");
    }
    const std::optional<codalume::UserPreferences> again = codalume::decodePreferences(*encoded);
    if (!again || !(*again == *decoded)) {
        codalume::fuzz::fail("a decoded record does not survive a round trip");
    }
    return 0;
}
