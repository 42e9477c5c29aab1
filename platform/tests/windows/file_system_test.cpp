// The file system on Windows: drive letters, either separator, case-insensitive wildcard
// search, long paths, binary bytes and the replacement of downloaded files.
#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/windows/system_error.h"
#include "test_support/temp_dir.h"

namespace platform {
namespace {

// Every byte value, and the bytes that text mode would change or stop at.
std::string AwkwardBytes() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes + std::string("\r\n\n\r\x1a\0end", 10);
}

std::string ReadWhole(const std::string& path) {
    const UniqueFd file = OpenForReading(path);
    EXPECT_TRUE(file.valid()) << path;
    std::string bytes;
    char buffer[4096];
    for (long long got; file.valid() && (got = ReadSome(file.get(), buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    UniqueFd file = CreateForWriting(path);
    ASSERT_TRUE(file.valid()) << path << ": errno " << errno;
    ASSERT_TRUE(WriteAll(file.get(), bytes.data(), bytes.size()));
    ASSERT_TRUE(file.Close());
}

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const FoundFile& found : FindFiles(folder + "\\*")) names.push_back(found.name);
    return names;
}

// Each case shows the parts as drive|dir|fname|ext.
TEST(WindowsSplitPathTest, FollowsTheTable) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\a\\b\\c.txt", "C:|\\a\\b\\|c|.txt"},
        {"C:c.txt", "C:||c|.txt"},
        {"\\\\server\\share\\x.y", "|\\\\server\\share\\|x|.y"},
        {"a/b\\c", "|a/b\\|c|"},
        {"d:/w/.bashrc", "d:|/w/||.bashrc"},
        {"src\\*.*", "|src\\|*|.*"},
    };
    for (const auto& [path, expected] : cases) {
        const PathParts p = SplitPath(path);
        EXPECT_EQ(p.drive + "|" + p.dir + "|" + p.fname + "|" + p.ext, expected) << path;
        EXPECT_EQ(p.Folder(), p.drive + p.dir);
    }
}

// Names match without regard to case in any script, "*.*" matches every name, and either
// separator leads to the folder; matches come in byte order under the path as spelt.
TEST(WindowsFindFilesTest, MatchesWithoutCaseUnderEitherSeparator) {
    testsupport::TempDir temp;
    for (const char* name : {"b.c", "A.C", "Makefile", ".hidden.c",
                             "\xc3\x9cnic\xc3\xb6"
                             "de.c",
                             "sub\\d.c", "a.cc"}) {
        temp.WriteFile(name, name);
    }
    const std::string root = temp.Path();
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {root + "\\*.*",
         {".hidden.c", "A.C", "Makefile", "a.cc", "b.c", "sub\\",
          "\xc3\x9cnic\xc3\xb6"
          "de.c"}},
        {root + "\\*.c",
         {".hidden.c", "A.C", "b.c",
          "\xc3\x9cnic\xc3\xb6"
          "de.c"}},
        {root + "/\xc3\xbc*",
         {"\xc3\x9cnic\xc3\xb6"
          "de.c"}},
        {root + "/sub\\?.C", {"d.c"}},
        {root + "\\makefile", {"makefile"}},
    };
    for (const auto& [pattern, expected] : cases) {
        std::vector<std::string> shown;
        const std::string folder = pattern.substr(0, pattern.find_last_of("/\\") + 1);
        for (const FoundFile& found : FindFiles(pattern)) {
            shown.push_back(found.name + (found.isDirectory ? "\\" : ""));
            EXPECT_EQ(found.fullPath, folder + found.name);
        }
        EXPECT_EQ(shown, expected) << pattern;
    }
    EXPECT_TRUE(FindFiles(root + "\\missing\\*").empty());
}

// Files are binary: every byte comes back as written, at any size, and ReadAt leaves the
// position of sequential reads alone.
TEST(WindowsFileTest, KeepsEveryByteAndThePosition) {
    testsupport::TempDir temp;
    const std::string path = temp.Path("bytes.bin");
    WriteWhole(path, AwkwardBytes());
    EXPECT_EQ(ReadWhole(path), AwkwardBytes());
    std::uint64_t size = 0;
    ASSERT_TRUE(SizeOfFile(path, &size));
    EXPECT_EQ(size, AwkwardBytes().size());

    const UniqueFd file = OpenForReading(path);
    char buffer[3];
    ASSERT_EQ(ReadSome(file.get(), buffer, 2), 2);
    ASSERT_EQ(ReadAt(file.get(), buffer, 3, 0x41), 3);
    EXPECT_EQ(std::string(buffer, 3), "ABC");
    ASSERT_EQ(ReadSome(file.get(), buffer, 1), 1);
    EXPECT_EQ(buffer[0], '\x02');
    EXPECT_EQ(ReadAt(file.get(), buffer, 3, size), 0);
}

// Paths of more than MAX_PATH characters work for every service.
TEST(WindowsFileTest, LongPathsWork) {
    testsupport::TempDir temp;
    std::string folder = temp.Path();
    while (folder.size() < 300) {
        folder += "\\" + std::string(40, 'f');
        ASSERT_EQ(MakeDirectory(folder), 0) << folder;
    }
    ASSERT_TRUE(IsDirectory(folder));
    const std::string path = folder + "\\long.bin";
    WriteWhole(path, AwkwardBytes());
    EXPECT_EQ(ReadWhole(path), AwkwardBytes());
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"long.bin"});
    ReplacementFile replacement;
    ASSERT_EQ(replacement.Create(path), 0);
    ASSERT_TRUE(WriteAll(replacement.Fd(), "new", 3));
    ASSERT_EQ(replacement.Commit(), 0);
    EXPECT_EQ(ReadWhole(path), "new");
}

// A replacement takes the target's name whole, over a read-only file too; one not committed
// leaves the old file and nothing else; a target that another program holds open keeps its
// old bytes and the failure says why.
TEST(WindowsReplacementFileTest, ReplacesWholeOrLeavesTheOldFileAndNoLitter) {
    testsupport::TempDir temp;
    const std::string target = temp.Path("t\xc3\xa9st.bin");
    {
        ReplacementFile replacement;
        ASSERT_EQ(replacement.Create(target), 0);
        ASSERT_TRUE(WriteAll(replacement.Fd(), AwkwardBytes().data(), AwkwardBytes().size()));
        ASSERT_EQ(replacement.Commit(), 0);
    }
    EXPECT_EQ(ReadWhole(target), AwkwardBytes());
    {
        ReplacementFile replacement;
        ASSERT_EQ(replacement.Create(target), 0);
        ASSERT_TRUE(WriteAll(replacement.Fd(), "half", 4));
    }
    EXPECT_EQ(ReadWhole(target), AwkwardBytes());
    EXPECT_EQ(NamesIn(temp.Path()), std::vector<std::string>{"t\xc3\xa9st.bin"});

    const std::wstring wideTarget = WidePath(target);
    ASSERT_TRUE(SetFileAttributesW(wideTarget.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        ReplacementFile replacement;
        ASSERT_EQ(replacement.Create(target), 0);
        ASSERT_TRUE(WriteAll(replacement.Fd(), "new", 3));
        ASSERT_EQ(replacement.Commit(), 0);
    }
    EXPECT_EQ(ReadWhole(target), "new");

    const HANDLE holder = CreateFileW(wideTarget.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        ReplacementFile replacement;
        ASSERT_EQ(replacement.Create(target), 0);
        ASSERT_TRUE(WriteAll(replacement.Fd(), "newer", 5));
        const int error = replacement.Commit();
        EXPECT_EQ(error, EBUSY);
        EXPECT_NE(FileErrorText("write", target, error).find("being used by another process"),
                  std::string::npos);
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadWhole(target), "new");
    EXPECT_EQ(NamesIn(temp.Path()), std::vector<std::string>{"t\xc3\xa9st.bin"});

    ReplacementFile nowhere;
    EXPECT_EQ(nowhere.Create(temp.Path("missing\\x.bin")), ENOENT);
}

// The temporary file of an upload goes to the user's temporary folder and is gone once
// closed.
TEST(WindowsTempFileTest, NamelessTempFileVanishesWhenClosed) {
    testsupport::TempDir temp;
    const std::wstring folder = WidePath(temp.Path() + "\\");
    wchar_t previous[MAX_PATH + 1] = L"";
    const DWORD previousLength = GetEnvironmentVariableW(L"TMP", previous, MAX_PATH + 1);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", folder.c_str()));
    {
        UniqueFd file = CreateNamelessTempFile("");
        ASSERT_TRUE(file.valid());
        ASSERT_TRUE(WriteAllAt(file.get(), AwkwardBytes().data(), AwkwardBytes().size(), 0));
        std::uint64_t size = 0;
        ASSERT_TRUE(SizeOfOpenFile(file.get(), &size));
        EXPECT_EQ(size, AwkwardBytes().size());
        EXPECT_EQ(NamesIn(temp.Path()).size(), 1u);
    }
    SetEnvironmentVariableW(L"TMP", previousLength > 0 ? previous : nullptr);
    EXPECT_TRUE(NamesIn(temp.Path()).empty());
}

}  // namespace
}  // namespace platform
