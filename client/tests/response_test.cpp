#include "client/response.h"

#include <gtest/gtest.h>

#include <string>

namespace brelmox {

namespace {

struct Parsed {
    int result;
    std::string value;
    size_t position;
};

Parsed Parse(const std::string& buffer, const char* keyword, size_t start = 0) {
    Parsed parsed{0, "<unset>", start};
    parsed.result =
        ParseField(&parsed.position, keyword, &parsed.value, buffer.data(), buffer.size());
    return parsed;
}

TEST(ParseField, ReadsFieldsInOrderToTheEndOfTheBuffer) {
    const std::string buffer = "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n";
    Parsed protocol = Parse(buffer, "protocol:");
    EXPECT_EQ(protocol.result, 0);
    EXPECT_EQ(protocol.value, "1");
    Parsed status = Parse(buffer, "status:", protocol.position);
    EXPECT_EQ(status.result, 0);
    EXPECT_EQ(status.value, "0");
    EXPECT_EQ(status.position, buffer.size());
}

TEST(ParseField, ValuesAreTakenVerbatim) {
    struct Case {
        std::string line;
        const char* keyword;
        std::string value;
    };
    const Case cases[] = {
        {"status:-2018", "status:", "-2018"},
        {"status: 0", "status:", " 0"},
        {"error:with CR\r", "error:", "with CR\r"},
        {"name:", "name:", ""},
    };
    for (const Case& c : cases) {
        Parsed parsed = Parse("--AaB03x\n" + c.line + "\n", c.keyword);
        EXPECT_EQ(parsed.result, 0) << c.line;
        EXPECT_EQ(parsed.value, c.value) << c.line;
    }
}

TEST(ParseField, UnexpectedKeywordConsumesTheWholeLine) {
    const std::string buffer = "--AaB03x\nname:a.c\n--AaB03x\nviewpath:Src\n";
    Parsed error = Parse(buffer, "error:");
    EXPECT_EQ(error.result, -1003);
    EXPECT_EQ(error.value, "<unset>");
    EXPECT_EQ(error.position, std::string("--AaB03x\nname:a.c\n").size());
    EXPECT_EQ(Parse(buffer, "viewpath:", error.position).value, "Src");
}

TEST(ParseField, MissingBoundaryConsumesOnlyTheBoundaryBytes) {
    Parsed parsed = Parse("HTTP error page\n", "status:");
    EXPECT_EQ(parsed.result, -1003);
    EXPECT_EQ(parsed.position, 9u);
    Parsed tooShort = Parse("--AaB", "status:");
    EXPECT_EQ(tooShort.result, -1003);
    EXPECT_EQ(tooShort.position, 5u);
}

TEST(ParseField, LastByteEndsALineWithoutLineFeed) {
    Parsed parsed = Parse("--AaB03x\nstatus:12", "status:");
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(parsed.value, "1");
    // A boundary that ends the buffer leaves an empty line, which no keyword matches.
    Parsed empty = Parse("--AaB03x\n", "status:");
    EXPECT_EQ(empty.result, -1003);
    EXPECT_EQ(empty.position, 9u);
}

TEST(FindBytes, FindsTheFirstOccurrenceOnly) {
    const std::string end = "--AaB03x--\n";
    EXPECT_EQ(FindBytes(end.data(), end.size(), end.data(), end.size()), end.data());
    EXPECT_EQ(FindBytes(end.data(), end.size() - 1, end.data(), end.size()), nullptr);
    const std::string data = std::string("ab\0c", 4) + end + "x" + end;
    EXPECT_EQ(FindBytes(data.data(), data.size(), end.data(), end.size()), data.data() + 4);
    EXPECT_EQ(FindBytes(data.data(), 0, end.data(), end.size()), nullptr);
}

TEST(StatusValue, ReadsLikeTheRuntime) {
    EXPECT_EQ(StatusValue("-2018"), -2018);
    EXPECT_EQ(StatusValue("  42abc"), 42);
    EXPECT_EQ(StatusValue(""), 0);
    EXPECT_EQ(StatusValue("zero"), 0);
    EXPECT_EQ(StatusValue("99999999999999"), 2147483647);
}

}  // namespace

}  // namespace brelmox
