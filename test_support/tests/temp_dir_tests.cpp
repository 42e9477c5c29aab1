#include "test_support/temp_dir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace testsupport {
namespace {

TEST(TempDirTest, WritesIntoNewFoldersAndRemovesEverythingEvenReadOnlyFolders) {
    std::string path;
    {
        TempDir dir;
        path = dir.Path();
        const std::string bytes("a\0b\r\n", 5);
        EXPECT_EQ(dir.WriteFile("sub/deeper/file.bin", bytes), path + "/sub/deeper/file.bin");
        EXPECT_EQ(dir.ReadFile("sub/deeper/file.bin"), bytes);
        EXPECT_EQ(dir.ReadFile(path + "/sub/deeper/file.bin"), bytes);
        dir.WriteFile("empty", "");
        EXPECT_EQ(dir.ReadFile("empty"), "");
        ASSERT_EQ(chmod(dir.Path("sub").c_str(), 0500), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << path << " was left behind";
}

TEST(TempDirTest, IsMadeInTmpdirWhenSet) {
    TempDir outer;
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("TMPDIR", outer.Path().c_str(), 1);
    {
        TempDir inner;
        EXPECT_EQ(inner.Path().rfind(outer.Path() + "/brelmox-test-", 0), 0u) << inner.Path();
    }
    if (saved != nullptr) {
        setenv("TMPDIR", previous.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

}  // namespace
}  // namespace testsupport
