// Archives beyond one deflate block and beyond the 32-bit fields: packed on several cores
// into one standard entry that other tools read, the packing reported block by block,
// unpacked with 64-bit sizes, and refused when a zip64 record is damaged or lies about the
// size.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/tests/posix/folder_test.h"

#include "common/archive_stream.h"
#include "common/my_compress.h"
#include "common/zip_bytes.h"

namespace brelmox {

namespace {

// Random, text and zeros in stretches that straddle the 1 MiB blocks, so that blocks
// switch between stored and deflated pieces and matches reach across block boundaries.
std::string MixedContent() {
    std::mt19937 generator(7);
    std::string content;
    std::string line;
    for (int n = 0; n < 400; ++n) line += "line " + std::to_string(n) + " of some text\n";
    while (content.size() < (5u << 20) + 12345) {
        for (int i = 0; i < 700 * 1024; ++i) content += static_cast<char>(generator());
        for (int i = 0; i < 60; ++i) content += line;
        content.append(300 * 1024, '\0');
    }
    return content;
}

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

class LargeEntryTest : public FolderTest {
  protected:
    bool UnpacksTo(const std::string& archive, std::string* content) {
        WriteFile("in.zip", archive);
        return MyCompress().DecompressToMemory(content, "in.zip");
    }
};

TEST_F(LargeEntryTest, BlocksJoinIntoOneStandardEntryNoLargerThanOneStream) {
    const std::string content = MixedContent();
    WriteFile("source", content);
    MemoryBytes archive;
    ASSERT_TRUE(MyCompress().Compress("source", archive));
    WriteFile("a.zip", archive.Bytes());
    ASSERT_EQ(Shell("unzip -tqq a.zip"), 0);
    ASSERT_EQ(Shell("python3 -c 'import sys, zipfile; z = zipfile.ZipFile(\"a.zip\"); "
                    "i = z.infolist()[0]; sys.exit(z.read(i) != open(\"source\", \"rb\").read() "
                    "or i.compress_type != zipfile.ZIP_DEFLATED)'"),
              0);
    // zlib packing the whole content as one stream at the same level sets the size to beat.
    ASSERT_EQ(Shell("python3 -c 'import zlib; c = zlib.compressobj(6, zlib.DEFLATED, -15); "
                    "d = open(\"source\", \"rb\").read(); "
                    "open(\"one-stream\", \"w\").write(str(len(c.compress(d) + c.flush())))'"),
              0);
    const std::size_t oneStream = std::stoul(ReadFile("one-stream"));
    EXPECT_LE(archive.Size(), oneStream + oneStream / 100) << "one stream: " << oneStream;
    std::string unpacked;
    ASSERT_TRUE(UnpacksTo(archive.Bytes(), &unpacked));
    EXPECT_TRUE(unpacked == content);
}

TEST_F(LargeEntryTest, StreamedInPiecesOfAnySizeUnpacksTheSame) {
    WriteFile("source", MixedContent().substr(0, 3 << 20));
    MemoryBytes archive;
    ASSERT_TRUE(MyCompress().Compress("source", archive));
    for (std::size_t piece : {std::size_t{1}, std::size_t{29}, std::size_t{65536}}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        std::string unpacked;
        ArchiveStream stream([&](const char* data, std::size_t size) {
            unpacked.append(data, size);
            return true;
        });
        for (std::size_t at = 0; at < archive.Size(); at += piece) {
            ASSERT_TRUE(stream.Take(archive.Bytes().data() + at,
                                    std::min(piece, archive.Bytes().size() - at)));
        }
        EXPECT_TRUE(stream.Finish());
        EXPECT_TRUE(unpacked == ReadFile("source"));
    }
}

// The meter of a large add follows the packing: once per block, never backwards, ending at
// the file's size, and watching it leaves the archive as it was.
TEST_F(LargeEntryTest, PackingReportsEachBlockUpToTheFileSizeWithoutChangingTheArchive) {
    const std::string content = MixedContent();
    WriteFile("source", content);
    MemoryBytes plain;
    ASSERT_TRUE(MyCompress().Compress("source", plain));
    std::vector<std::uint64_t> reports;
    MemoryBytes watched;
    ASSERT_TRUE(
        MyCompress().Compress("source", watched, [&](std::uint64_t packed, std::uint64_t total) {
            EXPECT_EQ(total, content.size());
            reports.push_back(packed);
        }));
    EXPECT_TRUE(watched.Bytes() == plain.Bytes()) << "watching the packing changed the archive";
    const std::size_t blocks = (content.size() + (1u << 20) - 1) >> 20;
    ASSERT_EQ(reports.size(), blocks);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.front(), 1u << 20);
    EXPECT_EQ(reports.back(), content.size());
}

// Rewrites the central directory of a one-entry archive to carry its sizes in a zip64
// extra field, as for an entry of 4 GiB and more, adding argv[3] to the uncompressed size.
constexpr const char* kForgeZip64 = R"(import struct, sys
d = open(sys.argv[1], "rb").read()
c, e = d.find(b"PK\x01\x02"), d.find(b"PK\x05\x06")
h = bytearray(d[c:c + 46])
n, x, k = struct.unpack("<HHH", h[28:34])
packed, size = struct.unpack("<II", h[20:28])
h[20:28] = b"\xff" * 8
extra = struct.pack("<HHQQ", 1, 16, size + int(sys.argv[3]), packed)
h[30:32] = struct.pack("<H", len(extra))
central = bytes(h) + d[c + 46:c + 46 + n] + extra + d[c + 46 + n + x:c + 46 + n + x + k]
end = bytearray(d[e:])
end[12:16] = struct.pack("<I", len(central))
open(sys.argv[2], "wb").write(d[:c] + central + bytes(end))
)";

TEST_F(LargeEntryTest, Zip64RecordsAreReadAndALyingOrDamagedOneIsRefused) {
    const std::string content = MixedContent().substr(0, 200000);
    WriteFile("source", content);
    WriteFile("forge.py", kForgeZip64);
    // zipfile puts zip64 sizes into the local header when told to.
    ASSERT_EQ(Shell("python3 -c 'import zipfile; z = zipfile.ZipFile(\"local64.zip\", \"w\", "
                    "zipfile.ZIP_DEFLATED); w = z.open(\"source\", \"w\", force_zip64=True); "
                    "w.write(open(\"source\", \"rb\").read()); w.close(); z.close()'"),
              0);
    ASSERT_EQ(ReadFile("local64.zip").substr(18, 8), std::string(8, '\xff'));
    ASSERT_EQ(Shell("python3 forge.py local64.zip z64.zip 0"), 0);
    ASSERT_EQ(Shell("unzip -tqq z64.zip"), 0) << "the forged archive is not standard";
    for (const char* name : {"local64.zip", "z64.zip"}) {
        SCOPED_TRACE(name);
        std::string unpacked;
        ASSERT_TRUE(UnpacksTo(ReadFile(name), &unpacked));
        EXPECT_TRUE(unpacked == content);
    }
    // One more byte, or 4 GiB more, than the content: a 32-bit comparison passes the latter.
    for (const char* lie : {"1", "4294967296"}) {
        SCOPED_TRACE(std::string("size larger by ") + lie);
        ASSERT_EQ(Shell(std::string("python3 forge.py local64.zip lying.zip ") + lie), 0);
        std::string kept = "old";
        EXPECT_FALSE(UnpacksTo(ReadFile("lying.zip"), &kept));
        EXPECT_EQ(kept, "old");
    }
    std::string damaged = ReadFile("z64.zip");
    damaged[damaged.size() / 2] ^= 0x10;
    std::string kept = "old";
    EXPECT_FALSE(UnpacksTo(damaged, &kept));
    EXPECT_EQ(kept, "old");
}

TEST_F(LargeEntryTest, ArchivesWrittenThroughADescriptorAreWholeAndStandard) {
    WriteFile("source", MixedContent().substr(0, 1500000));
    WriteFile("a.zip", std::string(4 << 20, 'z'));  // replaced, not written over in place
    ASSERT_TRUE(MyCompress().CompressFile("source", "a.zip"));
    EXPECT_EQ(Shell("unzip -tqq a.zip"), 0);
    std::string unpacked;
    ASSERT_TRUE(UnpacksTo(ReadFile("a.zip"), &unpacked));
    EXPECT_TRUE(unpacked == ReadFile("source"));
}

}  // namespace

}  // namespace brelmox
