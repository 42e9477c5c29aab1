// IDE paths below the project folder, spelt the Linux way and the Windows way: both sets of
// rules run on every platform; the system's own comparison of names runs where it is.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "scc/ide_path.h"

namespace {

using brelmoxscc::Mapping;
using brelmoxscc::PathBelow;
using brelmoxscc::PathRules;
using brelmoxscc::PathStyle;

bool SameBytes(const std::string& a, const std::string& b) {
    return a == b;
}

// Enough of the system's rule for these tables, which hold only ASCII names.
bool SameButForAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

constexpr PathRules kPosix{PathStyle::Posix, SameBytes};
constexpr PathRules kWindows{PathStyle::Windows, SameButForAsciiCase};

struct MappingCase {
    const char* folder;
    const char* file;
    Mapping mapping;
    const char* below;
};

void ExpectMappings(const PathRules& rules, std::initializer_list<MappingCase> cases) {
    for (const MappingCase& c : cases) {
        std::string below = "stale";
        EXPECT_EQ(PathBelow(c.folder, c.file, rules, &below), c.mapping)
            << c.folder << " | " << c.file;
        EXPECT_EQ(below, c.below) << c.folder << " | " << c.file;
    }
}

TEST(IdePathTest, WindowsPathsBelowADriveFolder) {
    ExpectMappings(
        kWindows,
        {
            {"C:\\Work\\App", "C:\\Work\\App\\src\\main.c", Mapping::Below, "src\\main.c"},
            // The folder is compared without regard to case; the names below keep the IDE's.
            {"C:\\Work\\App", "c:\\WORK\\app\\Src\\Main.C", Mapping::Below, "Src\\Main.C"},
            {"c:/work/app/", "C:\\Work\\App\\a.c", Mapping::Below, "a.c"},
            {"C:\\Work\\App", "C:/Work/App/sub/b.h", Mapping::Below, "sub\\b.h"},
            {"C:\\Work\\\\App\\", "C:\\Work\\App\\\\a.c", Mapping::Below, "a.c"},
            {"C:\\Work\\App", "C:\\Work\\App\\.settings\\x.cfg", Mapping::Below,
             ".settings\\x.cfg"},
            {"C:\\Work\\App", "C:\\Work\\App\\src\\..\\.\\a.c", Mapping::Below, "a.c"},
            {"C:\\Work\\App", "\\\\?\\C:\\Work\\App\\a.c", Mapping::Below, "a.c"},
            {"C:\\", "C:\\a.c", Mapping::Below, "a.c"},
            {"C:\\Work\\App", "C:\\Work\\App\\..\\Other\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "C:\\Work\\AppX\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "D:\\Work\\App\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "C:\\Work\\App", Mapping::Outside, ""},
            {"C:\\Work\\App", "C:\\Work\\App\\", Mapping::Outside, ""},
            {"C:\\Work\\App", "C:Work\\App\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "\\Work\\App\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "src\\a.c", Mapping::Outside, ""},
            {"C:Work\\App", "C:Work\\App\\a.c", Mapping::Outside, ""},
            {"C:\\Work\\App", "C:\\Work\\App\\f?.c", Mapping::Wildcard, ""},
            {"C:\\Work\\App", "C:\\Work\\App\\*\\a.c", Mapping::Wildcard, ""},
        });
}

TEST(IdePathTest, WindowsPathsBelowAShare) {
    ExpectMappings(
        kWindows,
        {
            {"\\\\Server\\Share\\App", "\\\\server\\SHARE\\app\\a.c", Mapping::Below, "a.c"},
            {"//server/share", "\\\\server\\share\\x\\y.c", Mapping::Below, "x\\y.c"},
            {"\\\\server\\share\\App", "\\\\?\\UNC\\server\\share\\App\\b\\c.h", Mapping::Below,
             "b\\c.h"},
            {"\\\\server\\share\\App", "\\\\server\\other\\App\\a.c", Mapping::Outside, ""},
            {"\\\\server\\share\\App", "\\\\host\\share\\App\\a.c", Mapping::Outside, ""},
            {"\\\\server\\share\\App", "C:\\server\\share\\App\\a.c", Mapping::Outside, ""},
            // A share's root is as far up as ".." goes, as on a drive.
            {"\\\\server\\share", "\\\\server\\share\\..\\other\\a.c", Mapping::Below,
             "other\\a.c"},
            {"C:\\", "C:\\..\\a.c", Mapping::Below, "a.c"},
            {"\\\\server", "\\\\server\\share\\a.c", Mapping::Outside, ""},
            {"C:\\Work", "\\\\.\\C:\\Work\\a.c", Mapping::Outside, ""},
        });
}

TEST(IdePathTest, LinuxPathsKeepBackslashesAndCaseInNames) {
    ExpectMappings(kPosix, {
                               {"/w/app", "/w/app/src/main.c", Mapping::Below, "src\\main.c"},
                               {"/w/app/", "/w//app/./src/../a.c", Mapping::Below, "a.c"},
                               {"/", "/a.c", Mapping::Below, "a.c"},
                               {"/w/app", "/W/app/a.c", Mapping::Outside, ""},
                               {"/w/app", "/w/app/../x/a.c", Mapping::Outside, ""},
                               {"/w/app", "/w/app", Mapping::Outside, ""},
                               {"/w/app", "w/app/a.c", Mapping::Outside, ""},
                               {"w/app", "w/app/a.c", Mapping::Outside, ""},
                               {"/w/app", "C:\\w\\app\\a.c", Mapping::Outside, ""},
                               {"/w/app", "/w/app/src\\a.c", Mapping::Backslash, ""},
                               {"/w/app", "/w/app/f*.c", Mapping::Wildcard, ""},
                           });
}

TEST(IdePathTest, TheSystemComparesNamesAsItsFileSystemDoes) {
    const PathRules& rules = brelmoxscc::NativePathRules();
    std::string below;
#ifdef _WIN32
    EXPECT_EQ(PathBelow("C:\\Arbeit\\\xC3\x9C"
                        "ber",
                        "c:\\ARBEIT\\\xC3\xBC"
                        "ber\\\xCE\xA3\\a.c",
                        rules, &below),
              Mapping::Below);
    EXPECT_EQ(below, "\xCE\xA3\\a.c");
    EXPECT_EQ(PathBelow("C:\\\xCE\xA3", "C:\\\xCF\x83\\a.c", rules, &below), Mapping::Below);
#else
    EXPECT_EQ(PathBelow("/w/\xC3\x9C"
                        "ber",
                        "/w/\xC3\xBC"
                        "ber/a.c",
                        rules, &below),
              Mapping::Outside);
    EXPECT_EQ(PathBelow("/w/\xC3\x9C"
                        "ber",
                        "/w/\xC3\x9C"
                        "ber/a.c",
                        rules, &below),
              Mapping::Below);
#endif
}

}  // namespace
