#include "test_support/recorded_request.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

TEST(CompleteRequestLengthTest, WaitsForTheHeadAndTheWholeBody) {
    struct Case {
        const char* name;
        std::string bytes;
        size_t length;
    };
    const Case cases[] = {
        {"head unfinished", "POST / HTTP/1.1\r\nContent-Length: 3\r\n", 0},
        {"body unfinished", "POST / HTTP/1.1\r\nContent-Length: 3\r\n\r\nab", 0},
        {"body complete, later bytes left out", "POST / HTTP/1.1\r\nContent-Length: 3\r\n\r\nabcX",
         41},
        {"no body", "GET / HTTP/1.1\r\nHost: h\r\n\r\nX", 27},
        {"chunk unfinished", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", 0},
        {"last chunk missing",
         "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", 0},
        {"chunked complete",
         "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\nX", 62},
        {"chunked with a trailer",
         "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\nT: 1\r\n\r\nX", 58},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompleteRequestLength(c.bytes), c.length) << c.name;
    }
}

TEST(ParseRequestTest, KeepsHeadersInOrderAndFindsThemWithoutCase) {
    RecordedRequest request = ParseRequest(
        "POST /scm/get_files_from_cli.php HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n"
        "Accept:*/*\r\nContent-Length:  4 \r\n\r\na\r\nb");
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/scm/get_files_from_cli.php");
    EXPECT_EQ(request.version, "HTTP/1.1");
    using Headers = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(request.headers,
              (Headers{{"Host", "127.0.0.1:8080"}, {"Accept", "*/*"}, {"Content-Length", "4"}}));
    EXPECT_EQ(request.body, "a\r\nb");
    EXPECT_FALSE(request.chunked);
    EXPECT_EQ(request.Header("content-length"), "4");
    EXPECT_FALSE(request.HasHeader("Expect"));
    EXPECT_EQ(request.Header("Expect"), "");
}

}  // namespace
}  // namespace testsupport
