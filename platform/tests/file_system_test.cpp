// Wildcard search, path splitting and temporary files.
#include "platform/file_system.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(WildcardMatchTest, FollowsTheTable) {
    using Cases = std::vector<std::pair<const char*, const char*>>;  // pattern, name
    const Cases matching = {
        {"*.*", "Makefile"},  {"*.*", ".bashrc"}, {"Make.*", "Make"}, {"*", ".hidden"},
        {"a?c", "abc"},       {"*.c", "x.y.c"},   {"*ab", "aab"},     {"*.", "name."},
        {"a[1].c", "a[1].c"}, {"a\\*", "a\\bc"},  {"", ""},           {"**", ""},
    };
    const Cases failing = {
        {"Make.*", "Makefile"}, {"a?c", "ac"},      {"a?c", "abbc"},
        {"*.c", "a.C"},         {"*.c", "a.c.bak"}, {"*a*b", "xaxxbc"},
        {"*.", "name"},         {"a[1].c", "a1.c"}, {"?", ""},
    };
    for (const auto& [expected, cases] : {std::pair{true, matching}, std::pair{false, failing}}) {
        for (const auto& [pattern, name] : cases) {
            EXPECT_EQ(WildcardMatch(pattern, name), expected) << pattern << " ~ " << name;
        }
    }
}

// Each match shows as its full path, with a '/' after a directory.
TEST(FindFilesTest, FindsMatchesInByteOrderUnderThePathAsSpelt) {
    testsupport::TempDir temp;
    for (const char* name : {"b.c", "a.c", "B.c", ".hidden.c", "a[1].c", "Makefile", "sub/d.c"}) {
        temp.WriteFile(name, name);
    }
    fs::create_directory_symlink("sub", temp.Path("link"));
    const fs::path previous = fs::current_path();
    fs::current_path(temp.Path());
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"*", {".hidden.c", "B.c", "Makefile", "a.c", "a[1].c", "b.c", "link/", "sub/"}},
        {temp.Path() + "//./sub/../link/*", {temp.Path() + "//./sub/../link/d.c"}},
        {"Makefile", {"Makefile"}},
        {"link", {"link/"}},
    };
    for (const auto& [pattern, expected] : cases) {
        std::vector<std::string> shown;
        for (const FoundFile& found : FindFiles(pattern)) {
            shown.push_back(found.fullPath + (found.isDirectory ? "/" : ""));
            EXPECT_EQ(found.name, found.fullPath.substr(found.fullPath.rfind('/') + 1));
        }
        EXPECT_EQ(shown, expected) << pattern;
    }
    for (const char* pattern : {"missing", "nowhere/*", "sub/", ".."}) {
        EXPECT_TRUE(FindFiles(pattern).empty()) << pattern;
    }
    fs::current_path(previous);
}

// Each case shows the parts as drive|dir|fname|ext.
TEST(SplitPathTest, FollowsTheTable) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/a/b/c.txt", "|/a/b/|c|.txt"}, {"c.tar.gz", "||c.tar|.gz"}, {"x/.bashrc", "|x/||.bashrc"},
        {"/a.d/file", "|/a.d/|file|"},   {"dir/", "|dir/||"},         {"name.", "||name|."},
        {"src/*.*", "|src/|*|.*"},
    };
    for (const auto& [path, expected] : cases) {
        const PathParts p = SplitPath(path);
        EXPECT_EQ(p.drive + "|" + p.dir + "|" + p.fname + "|" + p.ext, expected) << path;
    }
}

// TempFolder names $TMPDIR without looking at it; a file goes to the first folder that takes it.
TEST(TempFileTest, GoesToTmpdirThenTheFallbackThenTmp) {
    testsupport::TempDir temp;
    const std::string usable = temp.Path("usable"), fallback = temp.Path("fallback");
    const std::string missing = temp.Path("missing"), notAFolder = temp.WriteFile("file", "");
    fs::create_directory(usable);
    fs::create_directory(fallback);
    const std::vector<std::vector<std::string>> cases = {
        // $TMPDIR, fallback folder, TempFolder(), folder of the file
        {usable, fallback, usable + "/", usable + "/"},
        {usable + "/", "", usable + "/", usable + "/"},
        {missing, fallback + "/", missing + "/", fallback + "/"},
        {notAFolder, missing, notAFolder + "/", "/tmp/"},
        {"", fallback, "/tmp/", fallback + "/"},
    };
    const char* set = getenv("TMPDIR");
    const std::string previous = set != nullptr ? set : "";
    for (const std::vector<std::string>& c : cases) {
        setenv("TMPDIR", c[0].c_str(), 1);
        EXPECT_EQ(TempFolder(), c[2]);
        std::string path;
        UniqueFd file(CreateUniqueTempFile(c[1], &path));
        EXPECT_TRUE(file.valid()) << c[0];
        EXPECT_EQ(path.substr(0, path.rfind('/') + 1), c[3]) << c[0];
        RemoveFile(path);
    }
    setenv("TMPDIR", previous.c_str(), 1);  // empty means unset to every reader
}

// A nameless file takes a free name at once but never one that is taken; the replacing
// name does replace, and neither leaves a name of its own behind.
TEST(NamelessFileTest, TakesAFreeNameDirectlyAndReplacesOnlyWhenAsked) {
    testsupport::TempDir temp;
    const std::string taken = temp.WriteFile("taken", "old");
    UniqueFd file = CreateNamelessFileIn(temp.Path());
    ASSERT_TRUE(file.valid()) << "this test needs a file system with nameless files";
    ASSERT_TRUE(WriteAll(file.get(), "new", 3));
    EXPECT_FALSE(NameNewFile(file.get(), taken));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(temp.ReadFile(taken), "old");
    EXPECT_TRUE(NameNewFile(file.get(), temp.Path("free")));
    EXPECT_TRUE(NameFile(file.get(), taken));
    EXPECT_EQ(temp.ReadFile("free"), "new");
    EXPECT_EQ(temp.ReadFile(taken), "new");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(temp.Path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"free", "taken"}));
}

}  // namespace
}  // namespace platform
