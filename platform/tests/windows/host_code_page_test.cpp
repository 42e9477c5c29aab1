// Narrow strings of other Windows programs, in the ANSI code page, and the program's UTF-8.
// The cases are those of code page 1252, the usual one of a Wine prefix.
#include "platform/host_code_page.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace platform {
namespace {

class HostCodePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    }
};

TEST_F(HostCodePageTest, RoundTripsEveryCharacterOfTheCodePage) {
    struct Case {
        std::string host, utf8;
    };
    const Case cases[] = {
        {"", ""},
        {"plain.c", "plain.c"},
        {"C:\\src\\caf\xE9.c", "C:\\src\\caf\xC3\xA9.c"},
        {"\x80 \xFF \xDF", "\xE2\x82\xAC \xC3\xBF \xC3\x9F"},  // euro sign, y diaeresis, sharp s
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromHostCodePage(c.host), c.utf8) << c.host;
        std::string host = "left over";
        EXPECT_TRUE(ToHostCodePage(c.utf8, &host)) << c.utf8;
        EXPECT_EQ(host, c.host);
    }
}

TEST_F(HostCodePageTest, RefusesWhatTheCodePageCannotSpell) {
    const std::string cases[] = {
        "arrow \xE2\x86\x92.c",  // no spelling at all
        "a\xC4\x81.c",           // a with macron, which a best fit would turn into 'a'
        "\xE6\x97\xA5.c",        // a CJK character
        "caf\xE9.c",             // not UTF-8
    };
    for (const std::string& utf8 : cases) {
        std::string host = "left over";
        EXPECT_FALSE(ToHostCodePage(utf8, &host)) << utf8;
        EXPECT_EQ(host, "");
    }
}

}  // namespace
}  // namespace platform
