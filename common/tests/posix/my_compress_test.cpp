// Packing and unpacking one-entry archives, checked against the zip tools and Python's zipfile,
// which run in the test's folder.
#include "common/my_compress.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/tests/posix/folder_test.h"

namespace brelmox {

namespace {

namespace fs = std::filesystem;

std::string RandomBytes(size_t count) {
    std::mt19937 generator(20240611);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

// Each test works in a fresh folder of its own, which is also the current directory.
class MyCompressTest : public FolderTest {
  protected:
    MyCompress zip_;
};

TEST_F(MyCompressTest, RoundTripsContentThatOtherToolsReadToo) {
    for (const std::string& content :
         {std::string(), std::string(16384, 'x'), RandomBytes(200 * 1024)}) {
        SCOPED_TRACE("content of " + std::to_string(content.size()) + " bytes");
        WriteFile("source", content);
        WriteFile("a.zip", RandomBytes(300 * 1024));  // must be replaced, not appended to
        ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
        ASSERT_TRUE(zip_.DecompressFile("copy", "a.zip"));
        EXPECT_EQ(ReadFile("copy"), content);
        std::string inMemory = "old";
        ASSERT_TRUE(zip_.DecompressToMemory(&inMemory, "a.zip"));
        EXPECT_EQ(inMemory, content);
        ASSERT_EQ(std::system("unzip -p a.zip > by-unzip"), 0);
        EXPECT_EQ(ReadFile("by-unzip"), content);
        ASSERT_EQ(std::system("python3 -m zipfile -e a.zip by-python"), 0);
        EXPECT_EQ(ReadFile("by-python/source"), content);
    }
}

TEST_F(MyCompressTest, WritesOnePlainDeflatedEntryNamedAsThePathWasGiven) {
    fs::create_directory("d");
    WriteFile("d/e", "");
    ASSERT_TRUE(zip_.CompressFile("d/e", "a.zip"));
    // Signature, version 2.0, no flags, deflate, time 0, the date minizip makes of an
    // all-zero one, CRC 0, 2 bytes of empty deflate stream, size 0, name "d/e", no extra field.
    const std::string localHeader(
        "PK\x03\x04\x14\x00\x00\x00\x08\x00\x00\x00\x20\x00"
        "\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00"
        "d/e",
        33);
    EXPECT_EQ(ReadFile("a.zip").substr(0, localHeader.size()), localHeader);
}

TEST_F(MyCompressTest, UnpacksTheFirstEntryOfOtherToolsArchivesAndChecksIt) {
    const std::string first = RandomBytes(40000);
    WriteFile("first.bin", first);
    WriteFile("second.txt", "second entry");
    for (const std::string& command : std::vector<std::string>{
             "zip -q - first.bin second.txt | cat > other.zip",  // sizes in data descriptors
             "python3 -c 'import zipfile; z = zipfile.ZipFile(\"other.zip\", \"w\"); "
             "z.write(\"first.bin\"); z.write(\"second.txt\")'"}) {  // stored, not deflated
        SCOPED_TRACE(command);
        fs::remove("other.zip");
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(zip_.DecompressFile("target", "other.zip"));
        EXPECT_EQ(ReadFile("target"), first);
    }
    // The last archive is stored, so damaged data reaches the target as it is: only the CRC
    // check can catch it.
    std::string stored = ReadFile("other.zip");
    stored[stored.find(first.substr(0, 100)) + 3] ^= 0x20;
    WriteFile("other.zip", stored);
    EXPECT_FALSE(zip_.DecompressFile("target", "other.zip"));
    std::string inMemory = "old";
    EXPECT_FALSE(zip_.DecompressToMemory(&inMemory, "other.zip"));
    EXPECT_EQ(inMemory, "old") << "bytes that failed the CRC check were kept";
}

// A cut archive never unpacks, however little it lacks. Damaged entry data is refused only
// after it was written, as callers expect.
TEST_F(MyCompressTest, NoCutOrDamagedByteYieldsWrongContentOrTouchesTheTargetEarly) {
    std::string content;
    for (int line = 0; line < 40; ++line) content += "line " + std::to_string(line) + "\n";
    WriteFile("source", content);
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    const std::string archive = ReadFile("a.zip");
    for (size_t at = 0; at < archive.size(); ++at) {
        SCOPED_TRACE("byte " + std::to_string(at));
        WriteFile("target", "old");
        WriteFile("cut.zip", archive.substr(0, at));
        EXPECT_FALSE(zip_.DecompressFile("target", "cut.zip"));
        EXPECT_EQ(ReadFile("target"), "old");
        std::string inMemory = "old";
        EXPECT_FALSE(zip_.DecompressToMemory(&inMemory, "cut.zip"));
        EXPECT_EQ(inMemory, "old");
        std::string damaged = archive;
        damaged[at] ^= 0x41;
        WriteFile("damaged.zip", damaged);
        EXPECT_TRUE(!zip_.DecompressFile("target", "damaged.zip") || ReadFile("target") == content)
            << "damaged archive gave wrong content";
        EXPECT_TRUE(!zip_.DecompressToMemory(&inMemory, "damaged.zip") || inMemory == content)
            << "damaged archive gave wrong content in memory";
    }
    EXPECT_FALSE(zip_.DecompressFile("target", "missing.zip"));
}

TEST_F(MyCompressTest, ReportsAFullDiskAndAMissingSource) {
    WriteFile("source", RandomBytes(50000));
    ASSERT_TRUE(zip_.CompressFile("source", "a.zip"));
    EXPECT_FALSE(zip_.DecompressFile("/dev/full", "a.zip"));
    EXPECT_FALSE(zip_.CompressFile("source", "/dev/full"));
    EXPECT_FALSE(zip_.CompressFile("missing", "a.zip"));
    ASSERT_TRUE(zip_.DecompressFile("copy", "a.zip")) << "a missing source left the archive";
    EXPECT_EQ(ReadFile("copy"), ReadFile("source"));
}

}  // namespace

}  // namespace brelmox
