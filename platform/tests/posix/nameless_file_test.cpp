// Unique temporary files and files without a name on POSIX calls.
#include "platform/posix/nameless_file.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

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
