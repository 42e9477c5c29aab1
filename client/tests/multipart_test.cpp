#include "client/multipart.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "test_support/temp_dir.h"

namespace brelmox {

namespace {

std::string ReadAll(MultipartBody& body, size_t piece) {
    std::string all;
    std::string buffer(piece, '\0');
    for (uint64_t offset = 0;;) {
        long long got = body.ReadAt(offset, buffer.data(), piece);
        EXPECT_GE(got, 0);
        if (got <= 0) break;
        all.append(buffer.data(), static_cast<size_t>(got));
        offset += static_cast<uint64_t>(got);
    }
    return all;
}

TEST(MultipartBody, ValidateProjectBodyIsByteExact) {
    MultipartBody body;
    body.AddField("organization", "O");
    body.AddField("project", "P");
    const std::string expected =
        "--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"organization\"\r\n\r\n"
        "O"
        "\r\n--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"project\"\r\n\r\n"
        "P"
        "\r\n--AaB03x--\r\n";
    EXPECT_EQ(body.Text(), expected);
    EXPECT_EQ(body.Size(), expected.size());
    EXPECT_EQ(ReadAll(body, 7), expected);
}

TEST(MultipartBody, EmptyAndNonAsciiValuesGoVerbatim) {
    MultipartBody body;
    body.AddField("username", "Jörg");
    body.AddField("password", "");
    body.AddYesNoField("recurse", 2);
    body.AddYesNoField("checkout", 0);
    EXPECT_EQ(body.Text(),
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nJ\xc3\xb6rg"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\n"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"recurse\"\r\n\r\nY"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"checkout\"\r\n\r\nN"
              "\r\n--AaB03x--\r\n");
}

TEST(MultipartBody, FilePartCarriesEveryByteOfTheArchive) {
    testsupport::TempDir dir;
    // Archive bytes that look like framing, or like the end of a text file (0x1A), must still
    // be sent whole and unchanged.
    const std::string archive = std::string("PK\x03\x04\0\r\n--AaB03x\r\n--AaB03x--\r\n", 28) +
                                std::string(70000, 'z') + std::string("\x1a\n\r\0", 4) + "end";
    const std::string path = dir.WriteFile("a.zip", archive);
    const platform::UniqueFd file = platform::OpenForReading(path);
    ASSERT_TRUE(file.valid());
    const int fd = file.get();
    MultipartBody body;
    body.AddField("description", "d");
    body.AttachFile("/src/a.c", fd, archive.size());
    const std::string expected =
        "--AaB03x\r\nContent-Disposition: form-data; name=\"description\"\r\n\r\nd"
        "\r\n--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"userfile\"; filename=\"/src/a.c\"\r\n"
        "Content-Transfer-Encoding: binary\r\n"
        "Content-Type: application/x-octet-stream\r\n\r\n" +
        archive + "\r\n--AaB03x--\r\n";
    EXPECT_EQ(body.Size(), expected.size());
    for (size_t piece : {1u, 13u, 4096u, 65536u}) {
        EXPECT_EQ(ReadAll(body, piece), expected) << "read in pieces of " << piece;
    }
}

TEST(MultipartBody, FileThatShrankIsAnError) {
    testsupport::TempDir dir;
    const platform::UniqueFd file = platform::OpenForReading(dir.WriteFile("short.zip", "abc"));
    MultipartBody body;
    body.AddField("description", "");
    body.AttachFile("x", file.get(), 10);
    char buffer[256];
    EXPECT_EQ(body.ReadAt(0, buffer, sizeof buffer), -1);
}

}  // namespace

}  // namespace brelmox
