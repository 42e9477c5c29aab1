#include "test_support/answer_bytes.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

TEST(HttpResponseTest, FramesTheBodyWithItsLengthOrAsOneChunk) {
    EXPECT_EQ(HttpResponse("--AaB03x\nstatus:0\n"),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 18\r\n"
              "Connection: close\r\n\r\n--AaB03x\nstatus:0\n");
    EXPECT_EQ(HttpResponse("", 500),
              "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain\r\n"
              "Content-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(HttpResponse("0123456789abcdefg", 200, true),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
              "Connection: close\r\n\r\n11\r\n0123456789abcdefg\r\n0\r\n\r\n");
    EXPECT_EQ(HttpResponse("", 200, true),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
              "Connection: close\r\n\r\n0\r\n\r\n");
}

TEST(AnswerBodyTest, KeywordFieldsAndRecordEndsUseLineFeedsOnly) {
    EXPECT_EQ(KeywordField("status:", "-2018"), "--AaB03x\nstatus:-2018\n");
    EXPECT_EQ(KeywordField("error:", ""), "--AaB03x\nerror:\n");
    EXPECT_EQ(RecordEnd(), "--AaB03x--\n");
}

TEST(SplitEveryTest, CutsIntoPiecesOfTheGivenSize) {
    struct Case {
        std::string bytes;
        size_t n;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"abcdefg", 3, {"abc", "def", "g"}},
        {"abcdef", 3, {"abc", "def"}},
        {"ab", 5, {"ab"}},
        {"", 2, {}},
        {"abc", 0, {"abc"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitEvery(c.bytes, c.n), c.pieces) << "'" << c.bytes << "' by " << c.n;
    }
}

}  // namespace
}  // namespace testsupport
