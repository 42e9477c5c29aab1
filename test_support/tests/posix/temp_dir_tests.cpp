#include "test_support/temp_dir.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

namespace testsupport {
namespace {

// The suites' read-only cases leave folders without write rights; nothing in them would
// notice such a folder surviving its test.
TEST(TempDirTest, RemovesEverythingEvenReadOnlyFolders) {
    std::string path;
    {
        TempDir dir;
        path = dir.Path();
        const std::string bytes("a\0b\r\n", 5);
        EXPECT_EQ(dir.WriteFile("sub/deeper/file.bin", bytes), path + "/sub/deeper/file.bin");
        EXPECT_EQ(dir.ReadFile(path + "/sub/deeper/file.bin"), bytes);
        ASSERT_EQ(chmod(dir.Path("sub/deeper").c_str(), 0500), 0);
        ASSERT_EQ(chmod(dir.Path("sub").c_str(), 0100), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << path << " was left behind";
}

}  // namespace
}  // namespace testsupport
