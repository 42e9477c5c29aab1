// Wildcard search and path splitting on POSIX paths.
#include "platform/file_system.h"

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

}  // namespace
}  // namespace platform
