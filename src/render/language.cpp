// SPDX-License-Identifier: MIT
#include "render/language.h"

#include <array>
#include <initializer_list>

namespace codalume {

namespace {

// One ordered test: every key of `present` must occur and no key of `absent` may occur. Keys
// are searched left to right and the search stops at the first one that fails.
struct LanguageTest {
    std::initializer_list<const char16_t *> present;
    std::initializer_list<const char16_t *> absent;
    const char16_t *language;
};

bool holds(const QString &code, const LanguageTest &test) {
    for (const char16_t *key : test.present) {
        if (!code.contains(QStringView(key))) {
            return false;
        }
    }
    for (const char16_t *key : test.absent) {
        if (code.contains(QStringView(key))) {
            return false;
        }
    }
    return true;
}

// Broad tests come first on purpose: the rest of the program relies on this exact order.
const std::array<LanguageTest, 25> kTests{{
    {{u"func "}, {}, u"Swift"},
    {{u"import Swift"}, {}, u"Swift"},
    {{u"class ", u"let "}, {}, u"Swift"},
    {{u"var "}, {}, u"Swift"},
    {{u"def ", u":"}, {}, u"Python"},
    {{u"import "}, {u";"}, u"Python"},
    {{u"function ", u"{"}, {}, u"JavaScript"},
    {{u"const "}, {}, u"JavaScript"},
    {{u"let ", u";"}, {}, u"JavaScript"},
    {{u"public class "}, {}, u"Java"},
    {{u"private void "}, {}, u"Java"},
    {{u"System.out.println"}, {}, u"Java"},
    {{u"using System;"}, {}, u"C#"},
    {{u"namespace "}, {}, u"C#"},
    {{u"package "}, {}, u"Go"},
    {{u"fn ", u"let mut "}, {}, u"Rust"},
    {{u"impl "}, {}, u"Rust"},
    {{u"<html"}, {}, u"HTML"},
    {{u"<div"}, {}, u"HTML"},
    {{u"<body"}, {}, u"HTML"},
    {{u"<?xml"}, {}, u"XML"},
    {{u"<!DOCTYPE", u"<plist"}, {}, u"XML"},
    {{u"<dict>", u"</dict>"}, {}, u"XML"},
    {{u"{", u"}", u":"}, {u";"}, u"JSON"},
    {{u"<?php"}, {}, u"PHP"},
}};

}  // namespace

const QStringList &languageNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const LanguageTest &test : kTests) {
            if (const QString name = QString::fromUtf16(test.language); !list.contains(name)) {
                list << name;
            }
        }
        return list << QStringLiteral("Text");
    }();
    return names;
}

QString detectLanguage(const QString &code) {
    for (const LanguageTest &test : kTests) {
        if (holds(code, test)) {
            return QString::fromUtf16(test.language);
        }
    }
    return QStringLiteral("Text");
}

}  // namespace codalume
