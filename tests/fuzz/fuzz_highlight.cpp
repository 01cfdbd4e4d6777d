// SPDX-License-Identifier: MIT
#include "fuzz_support.h"
#include "render/highlighter.h"

// The first byte picks the language name (the known ones, a wrong-case one and a random
// one); the rest is the text. Every UTF-16 unit must keep exactly one opaque colour and the
// text must come back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QStringList names = {"Swift", "Python", "JavaScript", "Java", "C#",
                                      "Go",    "Rust",   "HTML",       "XML",  "JSON",
                                      "PHP",   "Text",   "swift",      "json", ""};
    if (size == 0) {
        return 0;
    }
    const QString language = data[0] < names.size() * 16
                                 ? names[data[0] % names.size()]
                                 : codalume::fuzz::textFrom(data, std::min<size_t>(size, 4));
    const QString text = codalume::fuzz::textFrom(data + 1, size - 1);
    const codalume::AttributedText result = codalume::highlightSyntax(text, language);
    if (result.text != text) {
        codalume::fuzz::fail("highlightSyntax changed the text");
    }
    if (result.colors.size() != static_cast<size_t>(text.size())) {
        codalume::fuzz::fail("not exactly one colour per UTF-16 unit");
    }
    for (QRgb color : result.colors) {
        if (qAlpha(color) != 255) {
            codalume::fuzz::fail("a colour that is not opaque");
        }
    }
    return 0;
}
