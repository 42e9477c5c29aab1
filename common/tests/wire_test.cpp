// The framing texts joined from the one boundary, against the literal bytes on the wire.
#include "common/wire.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>
#include <utility>

namespace brelmox {

namespace {

TEST(Wire, FramingLinesAreTheProtocolsBytes) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {wire::kContentType, "multipart/form-data, boundary=AaB03x"},
        {wire::kContentTypeHeader, "Content-Type: multipart/form-data, boundary=AaB03x"},
        {wire::kFirstPartLine, "--AaB03x\r\n"},
        {wire::kNextPartLine, "\r\n--AaB03x\r\n"},
        {wire::kBodyTrailer, "\r\n--AaB03x--\r\n"},
        {wire::kFieldLine, "--AaB03x\n"},
        {wire::kRecordEndLine, "--AaB03x--\n"},
        {wire::kContentFieldStart, "--AaB03x\ncontent:"},
    };
    for (const auto& [joined, expected] : cases) {
        EXPECT_EQ(joined, expected);
        // Joined texts also serve where a C string is wanted.
        EXPECT_EQ(std::strlen(joined.data()), expected.size()) << expected;
    }
}

}  // namespace

}  // namespace brelmox
