#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace platform {
namespace {

TEST(WildcardMatchTest, FollowsTheTable) {
    using Cases = std::vector<std::pair<const char*, const char*>>;  // pattern, name
    const Cases matching = {
        {"*.*", "Makefile"},  {"*.*", ".bashrc"}, {"Make.*", "Make"}, {"*", ".hidden"},
        {"a?c", "abc"},       {"*.c", "x.y.c"},   {"*ab", "aab"},     {"*.", "name."},
        {"a[1].c", "a[1].c"}, {"a\\*", "a\\bc"},  {"", ""},           {"**", ""},
    };
    const Cases failing = {
        {"Make.*", "Makefile"}, {"a?c", "ac"},      {"a?c", "abbc"},
        {"*.c", "a.C"},         {"*.c", "a.c.bak"}, {"*a*b", "xaxxbc"},
        {"*.", "name"},         {"a[1].c", "a1.c"}, {"?", ""},
    };
    for (const auto& [expected, cases] : {std::pair{true, matching}, std::pair{false, failing}}) {
        for (const auto& [pattern, name] : cases) {
            EXPECT_EQ(WildcardMatch(pattern, name), expected) << pattern << " ~ " << name;
        }
    }
}

}  // namespace
}  // namespace platform
