// Wildcard search, path splitting, temporary files and the smaller file-system services.
#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Sets (or, given nullptr, unsets) an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class FileSystemTest : public ::testing::Test {
  protected:
    std::string Make(const std::string& name) { return temp_.WriteFile(name, name); }

    testsupport::TempDir temp_;
    const std::string folder_ = temp_.Path();
};

struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(WildcardMatchTest, FollowsTheTable) {
    const WildcardCase cases[] = {
        {"*.*", "Makefile", true},
        {"*.*", ".bashrc", true},
        {"*.*", "a.b.c", true},
        {"Make.*", "Make", true},
        {"Make.*", "Makefile", false},
        {"*", ".hidden", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "abbc", false},
        {"*.c", "a.C", false},
        {"*.C", "a.C", true},
        {"A*", "abc", false},
        {"*.c", "x.y.c", true},
        {"*.c", "a.c.bak", false},
        {"*ab", "aab", true},
        {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbc", false},
        {"*.", "name.", true},
        {"*.", "name", false},
        {"a[1].c", "a[1].c", true},
        {"a[1].c", "a1.c", false},
        {"a\\*", "a\\bc", true},
        {"", "", true},
        {"?", "", false},
        {"**", "", true},
    };
    for (const WildcardCase& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
    }
}

TEST_F(FileSystemTest, FindsMatchesInByteOrderWithTheCallersDirectory) {
    for (const char* name : {"b.c", "a.c", "B.c", ".hidden.c", "a[1].c", "Makefile"}) Make(name);
    fs::create_directory(folder_ + "/sub");
    Make("sub/deep.c");
    fs::create_directory_symlink("sub", folder_ + "/link");
    std::vector<std::string> names;
    for (const FoundFile& found : FindFiles(folder_ + "/*")) {
        names.push_back(found.name + (found.isDirectory ? "/" : ""));
        EXPECT_EQ(found.fullPath, folder_ + "/" + found.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.c", "B.c", "Makefile", "a.c", "a[1].c",
                                               "b.c", "link/", "sub/"}));
    const std::vector<FoundFile> deep = FindFiles(folder_ + "//./sub/*.c");
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_EQ(deep[0].fullPath, folder_ + "//./sub/deep.c");
}

TEST_F(FileSystemTest, FindsRelativeAndExactPatterns) {
    Make("Makefile");
    fs::create_directory(folder_ + "/sub");
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    const std::vector<FoundFile> all = FindFiles("*.*");
    const std::vector<FoundFile> exact = FindFiles("sub");
    const size_t nothingFound = FindFiles("missing").size() + FindFiles("nowhere/*").size() +
                                FindFiles("sub/").size() + FindFiles("..").size();
    fs::current_path(previous);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].fullPath, "Makefile");
    EXPECT_FALSE(all[0].isDirectory);
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].fullPath, "sub");
    EXPECT_TRUE(exact[0].isDirectory);
    EXPECT_EQ(nothingFound, 0u);
}

TEST(SplitPathTest, FollowsTheTable) {
    const std::vector<std::vector<std::string>> cases = {
        {"/a/b/c.txt", "/a/b/", "c", ".txt"},
        {"c.tar.gz", "", "c.tar", ".gz"},
        {"x/.bashrc", "x/", "", ".bashrc"},
        {"/a.d/file", "/a.d/", "file", ""},
        {"dir/", "dir/", "", ""},
        {"name.", "", "name", "."},
        {"src/*.*", "src/", "*", ".*"},
        {"", "", "", ""},
    };
    for (const std::vector<std::string>& c : cases) {
        const PathParts parts = SplitPath(c[0]);
        EXPECT_EQ((std::vector<std::string>{parts.drive, parts.dir, parts.fname, parts.ext}),
                  (std::vector<std::string>{"", c[1], c[2], c[3]}))
            << c[0];
    }
}

TEST(TempFolderTest, IsTmpdirOrTmpWithTrailingSlash) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"/some/where", "/some/where/"}, {"/x/", "/x/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& [tmpdir, expected] : cases) {
        ScopedEnv env("TMPDIR", tmpdir);
        EXPECT_EQ(TempFolder(), expected) << (tmpdir ? tmpdir : "(unset)");
    }
}

TEST_F(FileSystemTest, CreatesTempFilesInTheFirstUsableFolder) {
    fs::create_directory(folder_ + "/tmpdir");
    fs::create_directory(folder_ + "/fallback");
    const std::string usable = folder_ + "/tmpdir";
    const std::string missing = folder_ + "/missing";
    const std::string notAFolder = Make("file");
    const std::vector<std::vector<std::string>> cases = {
        // TMPDIR ("-" for unset), fallback folder, folder expected to hold the file
        {usable, folder_ + "/fallback", usable + "/"},
        {missing, folder_ + "/fallback/", folder_ + "/fallback/"},
        {notAFolder, missing, "/tmp/"},
        {"-", missing, "/tmp/"},
    };
    for (const std::vector<std::string>& c : cases) {
        ScopedEnv env("TMPDIR", c[0] == "-" ? nullptr : c[0].c_str());
        std::string first, second;
        UniqueFd firstFd(CreateUniqueTempFile(c[1], &first));
        UniqueFd secondFd(CreateUniqueTempFile(c[1], &second));
        EXPECT_TRUE(firstFd.valid() && secondFd.valid());
        EXPECT_EQ(first.substr(0, c[2].size()), c[2]) << first;
        EXPECT_NE(first, second);
        EXPECT_EQ(ModeOf(first), 0600u);
        RemoveFile(first);
        RemoveFile(second);
        EXPECT_FALSE(FileExists(first));
    }
}

TEST_F(FileSystemTest, MakesFoldersAndClearsReadOnly) {
    const mode_t previousMask = umask(027);
    EXPECT_EQ(MakeDirectory(folder_ + "/d"), 0);
    EXPECT_EQ(MakeDirectory(folder_ + "/d"), EEXIST);
    EXPECT_EQ(MakeDirectory(folder_ + "/no/such"), ENOENT);
    umask(previousMask);
    EXPECT_EQ(ModeOf(folder_ + "/d"), 0750u);
    EXPECT_TRUE(IsDirectory(folder_ + "/d"));

    const std::string file = Make("ro");
    chmod(file.c_str(), 0444);
    EXPECT_EQ(ClearReadOnly(file), 0);
    EXPECT_EQ(ModeOf(file), 0644u);
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_EQ(ClearReadOnly(folder_ + "/missing"), ENOENT);
}

TEST(FileErrorTextTest, NamesOperationPathAndReason) {
    EXPECT_EQ(FileErrorText("open", "/w/a.c", ENOENT),
              "Cannot open '/w/a.c': No such file or directory");
    EXPECT_EQ(FileErrorText("write", "x y", ENOSPC), "Cannot write 'x y': No space left on device");
}

TEST(TimeZoneTest, GivesMinutesFromLocalTimeToUtc) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"UTC0", 0}, {"<+0530>-5:30", -330}, {"<-03>3", 180}};
    for (const auto& [zone, minutes] : cases) {
        ScopedEnv env("TZ", zone);
        EXPECT_EQ(TimeZoneOffsetMinutes(), minutes) << zone;
    }
    tzset();
}

TEST(WriteAllTest, ReportsAFullDevice) {
    UniqueFd full(open("/dev/full", O_WRONLY));
    ASSERT_TRUE(full.valid());
    errno = 0;
    EXPECT_FALSE(WriteAll(full.get(), "x", 1));
    EXPECT_EQ(errno, ENOSPC);
    UniqueFd moved(std::move(full));
    EXPECT_FALSE(full.valid());
    EXPECT_TRUE(moved.Close());
    EXPECT_FALSE(moved.valid());
}

}  // namespace
}  // namespace platform
