#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "settings/preferences_file.h"

// Any bytes decode either to a record that encodes and decodes back to itself exactly, or to
// nothing (the caller then uses the full defaults); never a crash. An optional part of the card
// is on only when the file has that member (as true): a file without it loads with it off.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<codalume::UserPreferences> decoded = codalume::decodePreferences(bytes);
    if (!decoded) {
        return 0;
    }
    const auto document =
        nlohmann::ordered_json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr,
                                      /*allow_exceptions=*/false);
    const struct {
        const char *key;
        bool value;
    } optionalParts[] = {{"showLineNumbers", decoded->showLineNumbers},
                         {"showWindowControls", decoded->showWindowControls},
                         {"showShadow", decoded->showShadow}};
    for (const auto &part : optionalParts) {
        const auto member = document.find(part.key);
        if (part.value != (member != document.end() && *member == true)) {
            codalume::fuzz::fail("an optional part differs from the file's member");
        }
    }
    const std::optional<QByteArray> encoded = codalume::encodePreferences(*decoded);
    if (!encoded) {
        codalume::fuzz::fail("a decoded record does not encode");
    }
    if (!encoded->endsWith(decoded->showShadow ? "\"showShadow\":true}"
                                               : "\"showShadow\":false}")) {
        codalume::fuzz::fail("the optional parts are not written last");
    }
    const std::optional<codalume::UserPreferences> again = codalume::decodePreferences(*encoded);
    if (!again || !(*again == *decoded)) {
        codalume::fuzz::fail("a decoded record does not survive a round trip");
    }
    if (codalume::encodePreferences(*again) != encoded) {
        codalume::fuzz::fail("encoding is not stable");
    }
    return 0;
}
