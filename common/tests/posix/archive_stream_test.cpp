// Archives streamed past with only their head and tail kept: the container's records are
// found however the archive ends, and one inflater serves archive after archive.
#include "common/archive_stream.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/my_compress.h"
#include "common/tests/posix/folder_test.h"
#include "common/zip_bytes.h"
#include "test_support/forged_archive.h"

namespace brelmox {

namespace {

// Moves the central directory's place and size of a one-entry archive into zip64 end records
// (the zip64 end record, then its locator), as for an archive beyond 4 GiB, leaving the
// placeholders in the end record. argv[3] is added to the offset the zip64 record gives.
constexpr const char* kZip64End = R"(import struct, sys
d = open(sys.argv[1], "rb").read()
e = d.rfind(b"PK\x05\x06")
size, offset = struct.unpack("<II", d[e + 12:e + 20])
record = struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, 1, 1, size,
                     offset + int(sys.argv[3]))
locator = struct.pack("<IIQI", 0x07064b50, 0, e, 1)
end = d[e:e + 8] + b"\xff\xff\xff\xff" + b"\xff" * 8 + d[e + 20:]
open(sys.argv[2], "wb").write(d[:e] + record + locator + end)
)";

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

// The content the archive's bytes unpack to through stream, or "refused".
std::string Streamed(const std::string& archive, ArchiveStream& stream, std::string* unpacked) {
    unpacked->clear();
    const bool taken = stream.Take(archive.data(), archive.size());
    return taken && stream.Finish() ? *unpacked : "refused";
}

std::string StreamedAlone(const std::string& archive) {
    std::string unpacked;
    ArchiveStream stream([&](const char* data, std::size_t size) {
        unpacked.append(data, size);
        return true;
    });
    return Streamed(archive, stream, &unpacked);
}

std::string Packed(const std::string& content) {
    WriteFile("source", content);
    MemoryBytes archive;
    EXPECT_TRUE(MyCompress().Compress("source", archive));
    return archive.Bytes();
}

class ArchiveStreamTest : public FolderTest {};

TEST_F(ArchiveStreamTest, EndRecordsAreFoundBehindACommentAndInZip64Form) {
    std::string content;
    for (int line = 0; line < 300; ++line) content += "line " + std::to_string(line) + "\n";
    WriteFile("a.zip", Packed(content));
    WriteFile("comment.txt", "a comment\nof two lines");
    WriteFile("forge.py", kZip64End);
    ASSERT_EQ(Shell("cp a.zip commented.zip && zip -qz commented.zip < comment.txt"), 0);
    ASSERT_EQ(Shell("python3 forge.py a.zip z64.zip 0 && python3 forge.py a.zip off.zip 1"), 0);
    ASSERT_EQ(Shell("unzip -tqq commented.zip && unzip -tqq z64.zip"), 0)
        << "the test's archives are not standard";
    for (const char* name : {"commented.zip", "z64.zip"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(StreamedAlone(ReadFile(name)) == content);
    }
    EXPECT_EQ(StreamedAlone(ReadFile("off.zip")), "refused")
        << "a zip64 end record that misplaces the central directory was followed";
}

TEST_F(ArchiveStreamTest, OneInflaterUnpacksArchiveAfterArchiveWhateverTheLastOneDid) {
    std::string text;
    for (int line = 0; line < 2000; ++line) text += "text line " + std::to_string(line) + "\n";
    const std::string deflated = Packed(text);
    const std::string small = Packed("x");
    WriteFile("x", "stored entry");
    ASSERT_EQ(Shell("rm -f s.zip && zip -q -0 s.zip x"), 0);
    const std::string stored = ReadFile("s.zip");
    std::string damaged = deflated;
    damaged[damaged.size() / 3] ^= 0x5a;
    const std::string cut = deflated.substr(0, deflated.size() / 2);

    struct Case {
        const std::string& archive;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {deflated, text},         {cut, "refused"}, {small, "x"}, {damaged, "refused"},
        {stored, "stored entry"}, {deflated, text}, {small, "x"}};
    EntryInflater inflater;
    std::string unpacked;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("archive " + std::to_string(i));
        ArchiveStream stream(
            [&](const char* data, std::size_t size) {
                unpacked.append(data, size);
                return true;
            },
            &inflater);
        EXPECT_TRUE(Streamed(cases[i].archive, stream, &unpacked) == cases[i].expected);
    }
}

// Zip bombs: 16 MiB of zeros deflate to a few KiB, and the headers claim ten bytes. Nothing
// beyond the ten ever reaches the sink, streamed or unpacked from a file, whether the local
// header declares the size or leaves it to a data descriptor (then only the central
// directory, read first from a file, declares it; a stream cannot know it in time and
// refuses the entry).
TEST_F(ArchiveStreamTest, ContentBeyondTheDeclaredSizeNeverReachesTheSink) {
    WriteFile("zeros", std::string(16 << 20, '\0'));
    ASSERT_EQ(Shell("zip -q - zeros | cat > descriptor.zip"), 0);
    const std::string bombs[] = {testsupport::DeclaringSize(Packed(ReadFile("zeros")), 10),
                                 testsupport::DeclaringSize(ReadFile("descriptor.zip"), 10)};
    std::uint64_t handed = 0;
    const EntrySink count = [&](const char*, std::size_t size) {
        handed += size;
        return true;
    };
    for (const std::string& bomb : bombs) {
        SCOPED_TRACE(&bomb == &bombs[0] ? "sizes in the local header" : "in a data descriptor");
        handed = 0;
        ArchiveStream stream(count);
        EXPECT_FALSE(stream.Take(bomb.data(), bomb.size()) && stream.Finish());
        EXPECT_LE(handed, 10u) << "streamed";
        WriteFile("bomb.zip", bomb);
        handed = 0;
        EXPECT_FALSE(MyCompress().DecompressToSink(count, "bomb.zip"));
        EXPECT_LE(handed, 10u) << "from a file";
    }
}

}  // namespace

}  // namespace brelmox
