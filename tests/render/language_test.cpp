#include <gtest/gtest.h>

#include "render/language.h"
#include "support/param_names.h"

namespace codalume {
namespace {

struct DetectionCase {
    const char *why;
    const char *code;
    const char *language;
};

CODALUME_PRINT_CASE_AS(DetectionCase, why)

class DetectLanguage : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(DetectLanguage, NamesTheFirstStepThatHolds) {
    const DetectionCase &c = GetParam();
    EXPECT_EQ(detectLanguage(QString::fromUtf8(c.code)), QString::fromUtf8(c.language)) << c.why;
}

// One case per step, then the consequences of the order.
const DetectionCase kSteps[] = {
    {"1 func and a blank", "func main() {}", "Swift"},
    {"2 import Swift", "import SwiftUI;", "Swift"},
    {"3 class and let", "class A; let b", "Swift"},
    {"4 var", "var x = 1;", "Swift"},
    {"5 def and colon", "def f(): pass;", "Python"},
    {"6 import without semicolon", "import os", "Python"},
    {"7 function and brace", "function f() { return 1; }", "JavaScript"},
    {"8 const", "const x = 1;", "JavaScript"},
    {"9 let and semicolon", "let x = 1;", "JavaScript"},
    {"10 public class", "public class A {}", "Java"},
    {"11 private void", "private void run() {}", "Java"},
    {"12 println", "System.out.println(1);", "Java"},
    {"13 using System;", "using System;", "C#"},
    {"14 namespace", "namespace A {}", "C#"},
    {"15 package", "package main;", "Go"},
    {"16 fn and let mut, no semicolon", "fn main() { let mut x = 1 }", "Rust"},
    {"17 impl", "impl Foo {}", "Rust"},
    {"18 <html", "<html></html>", "HTML"},
    {"19 <div", "<div>a</div>", "HTML"},
    {"20 <body", "<body></body>", "HTML"},
    {"21 <?xml", "<?xml version=\"1.0\"?><a/>", "XML"},
    {"22 DOCTYPE with plist", "<!DOCTYPE plist><plist></plist>", "XML"},
    {"23 dict pair", "<dict></dict>", "XML"},
    {"24 braces and colon, no semicolon", "{\"a\": 1}", "JSON"},
    {"25 <?php", "<?php echo 1; ?>", "PHP"},
    {"26 nothing", "hello world;", "Text"},
};
INSTANTIATE_TEST_SUITE_P(Steps, DetectLanguage, ::testing::ValuesIn(kSteps),
                         testing::NamedBy<&DetectionCase::why>());

const DetectionCase kOrder[] = {
    {"empty text", "", "Text"},
    {"let alone", "let x = 1", "Text"},
    {"class and let win over the semicolon", "class A { let b = 1; }", "Swift"},
    {"import with a semicolon decides nothing", "import java.util.List;", "Text"},
    {"Rust with a semicolon is JavaScript", "fn main() { let mut x = 1; }", "JavaScript"},
    {"func before interface (Go)", "type I interface { }\nfunc f() {}", "Swift"},
    {"function is not func", "function f() {}", "JavaScript"},
    {"public class with semicolon stays Java", "public class A { int x; }", "Java"},
    {"xml declaration before plist", "<?xml version=\"1.0\"?><plist></plist>", "XML"},
    {"DOCTYPE html is HTML", "<!DOCTYPE html><html></html>", "HTML"},
    {"JSON-looking text with a semicolon", "{\"a\": 1};", "Text"},
    {"php with function and brace", "<?php function f() { } ?>", "JavaScript"},
    {"keys are case-sensitive", "FUNC X; VAR Y; Import os", "Text"},
    {"blank is part of the key", "func\tmain()", "Text"},
    // The key is "var " with its blank, found anywhere: not a whole-word match...
    {"var inside a word still counts", "myvar = 1", "Swift"},
    // ...and not "var" alone.
    {"var without its blank does not count", "invariant = 1", "Text"},
    {"CJK and emoji around a key", "名字 😀 def f():", "Python"},
};
INSTANTIATE_TEST_SUITE_P(Order, DetectLanguage, ::testing::ValuesIn(kOrder),
                         testing::NamedBy<&DetectionCase::why>());

}  // namespace
}  // namespace codalume
