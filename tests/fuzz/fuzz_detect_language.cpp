// SPDX-License-Identifier: MIT
#include <QSet>

#include "fuzz_support.h"
#include "render/language.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QSet<QString> names = {"Swift", "Python", "JavaScript", "Java", "C#",  "Go",
                                        "Rust",  "HTML",   "XML",        "JSON", "PHP", "Text"};
    const QString name = codalume::detectLanguage(codalume::fuzz::textFrom(data, size));
    if (!names.contains(name)) {
        codalume::fuzz::fail("detectLanguage returned a name outside the closed set");
    }
    return 0;
}
