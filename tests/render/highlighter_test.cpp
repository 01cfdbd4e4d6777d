// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "render/highlighter.h"
#include "render/language.h"

namespace codalume {
namespace {

// One letter per UTF-16 unit: b black, d dark gray, k blue, s green, n orange, a amber,
// c gray; '?' for any other colour.
char letterOf(QRgb color) {
    const QColor known[] = {Qt::black,
                            QColor::fromRgbF(1.0 / 3, 1.0 / 3, 1.0 / 3),
                            QColor::fromRgbF(0.3, 0.7, 0.9),
                            QColor::fromRgbF(0.5, 0.8, 0.5),
                            QColor::fromRgbF(0.9, 0.6, 0.3),
                            QColor::fromRgbF(0.9, 0.5, 0.3),
                            QColor::fromRgbF(0.5, 0.5, 0.5)};
    const auto found = std::find_if(std::begin(known), std::end(known),
                                    [color](const QColor &c) { return c.rgba() == color; });
    return found == std::end(known) ? '?' : "bdksnac"[found - std::begin(known)];
}

// Each row names the fault it catches.
TEST(HighlightSyntax, PaintsEveryUnitWithTheColourOfItsRule) {
    const struct {
        const char *fault;
        const char *language;
        const char16_t *code;
        const char *mask;
    } rows[] = {
        {"Text takes rules or is not black", "Text", u"let x = \"1\"", "bbbbbbbbbbb"},
        {"a name in other capitals takes rules", "swift", u"let x = 1", "ddddddddd"},
        {"one brace keyword list dropped", "Go", u"guard typeof synchronized sealed chan mut echo",
         "kkkkkdkkkkkkdkkkkkkkkkkkkdkkkkkkdkkkkdkkkdkkkk"},
        {"keywords inside words or in other capitals", "Java", u"Class classy class _class",
         "dddddddddddddkkkkkddddddd"},
        {"keyword or number painted inside a string", "JavaScript", u"a = \"if 42\";",
         "ddddssssnnsd"},
        {"line comment runs past the line end", "Rust", u"x // if\ny", "ddcccccdd"},
        {"strings in a comment coloured as strings", "C#", u"// \"s\" 1", "cccccccc"},
        {"// inside a string does not grey the rest", "Swift", u"x = \"a // b\" + 1",
         "ddddsssccccccccc"},
        {"block comment stops at the line end or the last */", "PHP", u"/* a\nif */ if */",
         "ccccccccccdkkddd"},
        {"escaped quote or line end ends a string", "Swift", u"\"a\\\"b\nc\" x", "ssssssssdd"},
        {"numbers inside words, after a bare point, or 0", "Java", u"3.14 x1 0 .5", "nnnnddddnddn"},
        {"units miscounted around non-BMP, tab, CRLF", "Swift", u"😀\tif\r\nx // 😀\r\nlet",
         "dddkkddddcccccddkkk"},
        {"Python keyword rule dropped", "Python", u"def f(): return 'x'", "kkkddddddkkkkkkdsss"},
        {"Python comment inside a string", "Python", u"s = \"a # b\"", "ddddssscccc"},
        {"Python comment runs past CRLF", "Python", u"# c\r\nif", "cccddkk"},
        {"markup tag, attribute or value rule dropped", "HTML", u"<a href=\"x\">t</a>",
         "kkaaaaaassskdkkkk"},
        {"XML without the markup rules", "XML", u"<k v='1'/>", "kkaaassskk"},
        {"JSON keys, values or literals", "JSON",
         u"{\"k\": \"v\", \"n\": -1.5e3, \"t\": true, \"a\": [1, \"x\"]}",
         "daaasssssddaaakkkkkkkkddaaakkkkkkddaaaadddddddddd"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        const QString code = QString::fromUtf16(row.code);
        const AttributedText text = highlightSyntax(code, QString::fromUtf8(row.language));
        ASSERT_EQ(text.text, code);
        std::string painted;
        for (QRgb color : text.colors) {
            painted += letterOf(color);
        }
        EXPECT_EQ(painted, row.mask);
    }
}

// Each row names the fault it catches: a check dropped, or two checks in the wrong order
// (the text holds the keys of both, the earlier one must win).
TEST(DetectLanguage, TakesTheFirstCheckThatHolds) {
    const struct {
        const char *fault;
        const char *code;
        const char *language;
    } rows[] = {
        {"func dropped", "func main() {}", "Swift"},
        {"import Swift dropped", "import SwiftUI;", "Swift"},
        {"class and let after let and semicolon", "class A { let b = 1; }", "Swift"},
        {"var dropped, or matched as a whole word", "myvar = 1", "Swift"},
        {"def and colon dropped", "def f(): pass;", "Python"},
        {"def without a colon taken as Python", "def greet\n  puts 1\nend", "Text"},
        {"import without semicolon dropped", "import os", "Python"},
        {"import with a semicolon taken as Python", "import java.util.List;", "Text"},
        {"function and brace after PHP", "<?php function f() { } ?>", "JavaScript"},
        {"const after JSON", "{\"kind\": \"const \"}", "JavaScript"},
        {"let and semicolon after Rust", "fn main() { let mut x = 1; }", "JavaScript"},
        {"let without semicolon taken as JavaScript", "let x = 1", "Text"},
        {"public class dropped", "public class A { int x; }", "Java"},
        {"private void dropped", "private void run() {}", "Java"},
        {"println dropped", "System.out.println(1);", "Java"},
        {"using System; dropped", "using System;", "C#"},
        {"namespace dropped", "namespace A {}", "C#"},
        {"package dropped", "package main;", "Go"},
        {"fn and let mut dropped", "fn main() { let mut x = 1 }", "Rust"},
        {"impl dropped", "impl Foo {}", "Rust"},
        {"<html after <?xml", "<?xml version=\"1.0\"?><html></html>", "HTML"},
        {"<div dropped", "<div>a</div>", "HTML"},
        {"<body dropped", "<body></body>", "HTML"},
        {"<?xml dropped", "<?xml version=\"1.0\"?><a/>", "XML"},
        {"DOCTYPE with plist dropped", "<!DOCTYPE plist><plist></plist>", "XML"},
        {"dict pair dropped", "<dict></dict>", "XML"},
        {"JSON dropped", "{\"a\": 1}", "JSON"},
        {"JSON with a semicolon taken as JSON", "{\"a\": 1};", "Text"},
        {"<?php dropped", "<?php echo 1; ?>", "PHP"},
        {"keys matched ignoring case", "FUNC X; VAR Y; Import os", "Text"},
        {"empty text not Text", "", "Text"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(detectLanguage(QString::fromUtf8(row.code)), QString::fromUtf8(row.language));
    }
}

}  // namespace
}  // namespace codalume
