// The multipart reader over bodies split at every byte, as the network may deliver them.
#include <gtest/gtest.h>

#include "server/http/multipart_reader.h"

namespace servertest {
namespace {

// The parts as "name|filename=content;" in order, and whether the form was complete.
std::string Parse(const std::string& body, std::size_t piece) {
    std::string parts;
    server::MultipartReader reader(
        "B", [&](const server::PartHead& head) { parts += head.name + "|" + head.filename + "="; },
        [&](const char* data, std::size_t size) { parts.append(data, size); });
    for (std::size_t at = 0; at < body.size(); at += piece)
        reader.Feed(body.data() + at, std::min(piece, body.size() - at));
    return parts + (reader.Finish() ? " complete" : " incomplete");
}

TEST(MultipartReaderTest, PartsAreTheSameHoweverTheBodyIsSplit) {
    const std::string file =
        "Content-Disposition: form-data; name=\"userfile\"; filename=\"C:\\a.c\"";
    const std::pair<std::string, std::string> cases[] = {
        {"--B\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\none\r\n--B\r\n"
         "content-disposition: form-data; name=y\r\n\r\n\r\n--\r\n--B--\r\n",
         "x|=oney|=\r\n-- complete"},
        {"--B\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n1\r\n--B\r\n" + file +
             "\r\nContent-Type: "
             "application/x-octet-stream\r\n\r\n\r\n--B\r\n--B--\r\nz\r\n--B--\r\n",
         "x|=1userfile|C:\\a.c=\r\n--B\r\n--B--\r\nz complete"},
        {"--B\r\n" + file + "\r\n\r\n\r\n--B--", "userfile|C:\\a.c= complete"},
        {"--B\r\n" + file + "\r\n\r\ncut short", "userfile|C:\\a.c= incomplete"},
        {"--B\r\nContent-Type: text/plain\r\n\r\nno name\r\n--B--\r\n", " incomplete"},
        {"--X\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n1\r\n--X--\r\n", " incomplete"},
    };
    for (const auto& [body, expected] : cases) {
        for (std::size_t piece : {body.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}})
            EXPECT_EQ(Parse(body, piece), expected) << "in pieces of " << piece << ": " << body;
    }
}

TEST(MultipartReaderTest, BoundaryComesFromTheContentTypeWithCommaOrSemicolon) {
    EXPECT_EQ(server::BoundaryOf("multipart/form-data, boundary=AaB03x"), "AaB03x");
    EXPECT_EQ(server::BoundaryOf("Multipart/Form-Data; boundary=\"a b\"; x=1"), "a b");
    EXPECT_EQ(server::BoundaryOf("text/plain; boundary=AaB03x"), "");
    EXPECT_EQ(server::BoundaryOf("multipart/form-data"), "");
}

}  // namespace
}  // namespace servertest
