#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace codalume::testing {

// Names a parameterised case after its description ("var inside a word" becomes
// "var_inside_a_word"), so a failure names the case instead of an index.
template <auto Description>
struct NamedBy {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &info) const {
        std::string name;
        for (const char *c = info.param.*Description; *c != '\0'; ++c) {
            const auto byte = static_cast<unsigned char>(*c);
            name += std::isalnum(byte) != 0 ? static_cast<char>(byte) : '_';
        }
        return name.empty() ? std::to_string(info.index) : name;
    }
};

// Prints a case as its description instead of a dump of its bytes.
#define CODALUME_PRINT_CASE_AS(Case, member) \
    [[maybe_unused]] void PrintTo(const Case &c, std::ostream *os) { *os << c.member; }

}  // namespace codalume::testing
