// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "render/language_classifier.h"

namespace codalume {
namespace {

// Short snippets written for this table, each plain to any reader of its language. A model
// that did not load answers "Text" to all of them; a tokenizer that cuts text otherwise than the
// trainer did reads features the model never weighed and names the wrong languages.
TEST(ClassifyLanguage, NamesPlainSnippets) {
    const struct {
        const char *code;
        const char *language;
    } rows[] = {
        {"package main\n\nimport \"fmt\"\n\nfunc main() {\n\tfor i := 0; i < 3; i++ {\n"
         "\t\tfmt.Println(i)\n\t}\n}\n",
         "Go"},
        {"def area(self, r):\n    if r < 0:\n        raise ValueError('negative')\n"
         "    return 3.14 * r ** 2\n",
         "Python"},
        {"#include <vector>\n\ntemplate <typename T>\nT sum(const std::vector<T> &v) {\n"
         "    T total{};\n    for (const auto &x : v) total += x;\n    return total;\n}\n",
         "C++"},
        {"SELECT name, COUNT(*) AS n\nFROM orders o\nJOIN users u ON u.id = o.user_id\n"
         "WHERE o.total > 10\nGROUP BY name;\n",
         "SQL"},
        {"services:\n  web:\n    image: nginx\n    ports:\n      - \"80:80\"\n", "YAML"},
        // Nothing outside printable ASCII becomes a token.
        {"", "Text"},
        {"\xe4\xbd\xa0\xe5\xa5\xbd\xef\xbc\x8c\xe4\xb8\x96\xe7\x95\x8c\n\xf0\x9f\x98\x80\n",
         "Text"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(classifyLanguage(QString::fromUtf8(row.code)), QString::fromUtf8(row.language))
            << row.code;
    }
}

}  // namespace
}  // namespace codalume
