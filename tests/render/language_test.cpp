#include <gtest/gtest.h>

#include "render/language.h"

namespace codalume {
namespace {

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
