// Packing and unpacking one-entry archives, checked against the zip tools and Python's zipfile.
#include "client/my_compress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string RandomBytes(size_t count) {
    std::mt19937 generator(20240611);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

// Runs a shell command in the current folder; its standard output, or "exit N" on failure.
std::string Shell(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    std::string output;
    char buffer[4096];
    while (size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    const int status = pclose(pipe);
    return status == 0 ? output : "exit " + std::to_string(status);
}

std::string PythonReadsFirstEntry(const std::string& archive) {
    return Shell(
        "python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
        "sys.stdout.buffer.write(z.read(z.infolist()[0]))' " +
        archive);
}

// Each test works in a fresh folder of its own, which is also the current directory.
class MyCompressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string folder = fs::temp_directory_path() / "my-compress-test-XXXXXX";
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        folder_ = folder;
        previous_ = fs::current_path();
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }

    MyCompress zip_;
    fs::path folder_;
    fs::path previous_;
};

TEST_F(MyCompressTest, RoundTripsContentThatOtherToolsReadToo) {
    const std::vector<std::string> contents = {"", "hello\n", std::string(16384, 'x'),
                                               RandomBytes(200 * 1024)};
    for (const std::string& content : contents) {
        SCOPED_TRACE("content of " + std::to_string(content.size()) + " bytes");
        WriteFile("source", content);
        WriteFile("a.zip", RandomBytes(300 * 1024));  // must be replaced, not appended to
        ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
        ASSERT_TRUE(zip_.DecompressFile("copy", "a.zip"));
        EXPECT_EQ(ReadFile("copy"), content);
        EXPECT_EQ(Shell("unzip -p a.zip"), content);
        EXPECT_EQ(PythonReadsFirstEntry("a.zip"), content);
    }
}

TEST_F(MyCompressTest, WritesOnePlainDeflatedEntryWithZeroFileInfo) {
    WriteFile("e", "");
    ASSERT_TRUE(zip_.CompressFile("e", "a.zip"));
    // Signature, version 2.0, no flags, deflate, time 0, the date minizip makes of an
    // all-zero one, CRC 0, 2 bytes of empty deflate stream, size 0, name "e", no extra field.
    const std::string localHeader(
        "PK\x03\x04\x14\x00\x00\x00\x08\x00\x00\x00\x20\x00"
        "\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00"
        "e",
        31);
    EXPECT_EQ(ReadFile("a.zip").substr(0, localHeader.size()), localHeader);
    EXPECT_EQ(Shell("python3 -c 'import zipfile; z = zipfile.ZipFile(\"a.zip\"); "
                    "print([(i.filename, i.compress_type, i.internal_attr, i.external_attr, "
                    "i.extra, i.comment) for i in z.infolist()], z.comment)'"),
              "[('e', 8, 0, 0, b'', b'')] b''\n");
}

TEST_F(MyCompressTest, NamesTheEntryWithThePathAsPassed) {
    fs::create_directories("sub/dir with space");
    const std::string absolute = (folder_ / "sub/dir with space/f.txt").string();
    WriteFile(absolute, "x");
    for (const std::string& path : {absolute, std::string("sub/dir with space/f.txt"),
                                    std::string("./sub/../sub/dir with space/f.txt")}) {
        ASSERT_TRUE(zip_.CompressFile(path, "a.zip"));
        EXPECT_EQ(
            Shell("python3 -c 'import zipfile; print(zipfile.ZipFile(\"a.zip\").namelist())'"),
            "['" + path + "']\n");
    }
}

TEST_F(MyCompressTest, UnpacksTheFirstEntryOfOtherToolsArchives) {
    const std::string first = RandomBytes(40000);
    WriteFile("first.bin", first);
    WriteFile("second.txt", "second entry");
    const std::string python =
        "python3 -c 'import zipfile; z = zipfile.ZipFile(\"other.zip\", \"w\", zipfile.ZIP_";
    for (const std::string& command : std::vector<std::string>{
             "zip -q other.zip first.bin second.txt", "zip -q -0 other.zip first.bin second.txt",
             "zip -q - first.bin second.txt | cat > other.zip",  // sizes in data descriptors
             python + "DEFLATED); z.write(\"first.bin\"); z.write(\"second.txt\")'",
             python + "STORED); z.write(\"first.bin\"); z.write(\"second.txt\")'"}) {
        SCOPED_TRACE(command);
        fs::remove("other.zip");
        ASSERT_EQ(Shell(command), "");
        ASSERT_TRUE(zip_.DecompressFile("target", "other.zip"));
        EXPECT_EQ(ReadFile("target"), first);
    }
}

// minizip reads missing bytes at the very end as zeros, so an archive that lacks only the
// last fields of its 22-byte end record may still unpack; its entry is whole and checked.
TEST_F(MyCompressTest, RefusesTruncatedArchivesWithoutTouchingTheTarget) {
    const std::string content = "some content worth keeping safe";
    WriteFile("source", content);
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    const std::string archive = ReadFile("a.zip");
    const size_t endRecordSize = 22;
    for (size_t length = 0; length < archive.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        WriteFile("target", "old");
        WriteFile("cut.zip", archive.substr(0, length));
        const bool unpacked = zip_.DecompressFile("target", "cut.zip");
        EXPECT_EQ(ReadFile("target"), unpacked ? content : "old");
        if (length + endRecordSize <= archive.size()) {
            EXPECT_FALSE(unpacked);
        }
    }
    EXPECT_FALSE(zip_.DecompressFile("target", "missing.zip"));
}

TEST_F(MyCompressTest, RefusesEntryDataThatFailsItsCheck) {
    const std::string content = "stored text whose checksum will not match";
    WriteFile("source", content);
    ASSERT_EQ(Shell("zip -q -0 stored.zip source"), "");
    ASSERT_TRUE(zip_.CompressFile("source", "deflated.zip"));
    const size_t storedData = ReadFile("stored.zip").find(content);
    const size_t deflatedData = 30 + std::string("source").size();
    for (const auto& [name, at] :
         {std::pair{"stored.zip", storedData + 3}, std::pair{"deflated.zip", deflatedData + 3}}) {
        std::string archive = ReadFile(name);
        archive[at] ^= 0x20;
        WriteFile(name, archive);
        EXPECT_FALSE(zip_.DecompressFile("target", name)) << name;
    }
}

TEST_F(MyCompressTest, NoSingleDamagedByteYieldsWrongContent) {
    std::string content;
    for (int line = 0; line < 40; ++line) content += "line " + std::to_string(line) + "\n";
    WriteFile("source", content);
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    const std::string archive = ReadFile("a.zip");
    for (size_t at = 0; at < archive.size(); ++at) {
        std::string damaged = archive;
        damaged[at] ^= 0x41;
        WriteFile("damaged.zip", damaged);
        if (zip_.DecompressFile("target", "damaged.zip")) {
            EXPECT_EQ(ReadFile("target"), content) << "byte " << at << " damaged";
        }
    }
}

TEST_F(MyCompressTest, StreamsIntoTheCallersDescriptorAndLeavesItOpen) {
    WriteFile("source", "streamed");
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    EXPECT_TRUE(zip_.DecompressToStream(ends[1], "a.zip"));
    EXPECT_EQ(write(ends[1], "!", 1), 1);
    close(ends[1]);
    char buffer[64];
    const ssize_t got = read(ends[0], buffer, sizeof buffer);
    close(ends[0]);
    EXPECT_EQ(std::string(buffer, got > 0 ? got : 0), "streamed!");
}

TEST_F(MyCompressTest, ReportsEveryFailedWriteAndMissingSource) {
    WriteFile("source", RandomBytes(50000));
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    EXPECT_FALSE(zip_.DecompressFile("/dev/full", "a.zip"));
    EXPECT_FALSE(zip_.DecompressFile("no/such/folder/target", "a.zip"));
    const int readOnly = open("source", O_RDONLY);
    EXPECT_FALSE(zip_.DecompressToStream(readOnly, "a.zip"));
    close(readOnly);
    EXPECT_FALSE(zip_.CompressFile("source", "/dev/full"));
    EXPECT_FALSE(zip_.CompressFile("source", "no/such/folder/a.zip"));
    EXPECT_FALSE(zip_.CompressFile("missing", "a.zip"));
    EXPECT_EQ(PythonReadsFirstEntry("a.zip"), ReadFile("source"));
}

}  // namespace
