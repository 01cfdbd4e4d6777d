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
    for (const auto &[key, on] : {std::pair{"showLineNumbers", decoded->showLineNumbers},
                                  std::pair{"showWindowControls", decoded->showWindowControls},
                                  std::pair{"showShadow", decoded->showShadow}}) {
        const auto member = document.find(key);
        if (on != (member != document.end() && *member == true)) {
            codalume::fuzz::fail("an optional part differs from the file's member");
        }
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
