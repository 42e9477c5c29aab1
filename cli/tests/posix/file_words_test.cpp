// The words after -f as a shell leaves them, against a real brelmox-server: a pattern the
// shell expanded arrives as many words, and a word that matches no file is a failure.
#include <string>

#include <gtest/gtest.h>

#include "cli/tests/posix/round_trip_fixture.h"

namespace {

// A local file error (-1001) as the shell sees it.
constexpr int kFileError = -1001 & 0xff;

TEST_F(RoundTrip, EveryWordUpToTheNextSwitchIsAFile) {
    const std::string a = dir.WriteFile("work/a.c", "a\n");
    const std::string b = dir.WriteFile("work/b.c", "b\n");
    const std::string theirs = dir.Path("theirs");
    Expect("alice", {"add", "-f", a, b, "-t", "Src", "-d", "first"}, 0,
           "File '" + a + "' added to 'Src'.\nFile '" + b + "' added to 'Src'.\n");
    Expect("alice", {"status", "-f", a, b, "-t", "Src"}, 0,
           "checked-in      1  Src\\a.c\nchecked-in      1  Src\\b.c\n");
    Expect(
        "alice", {"co", "-f", "Src/a.c", "Src/b.c", "-t", dir.Path("work")}, 0,
        "File 'Src/a.c' checked out to '" + a + "'.\nFile 'Src/b.c' checked out to '" + b + "'.\n");
    dir.WriteFile("work/a.c", "a2\n");
    dir.WriteFile("work/b.c", "b2\n");
    Expect("alice", {"ci", "-f", a, b, "-t", "Src"}, 0,
           "File '" + a + "' checked in to 'Src'.\nFile '" + b + "' checked in to 'Src'.\n");
    Expect("bob", {"get", "-f", "Src/a.c", "Src/b.c", "-t", theirs}, 0,
           "File 'Src/a.c' saved in '" + theirs + "/a.c'.\nFile 'Src/b.c' saved in '" + theirs +
               "/b.c'.\n");
    EXPECT_EQ(dir.ReadFile(theirs + "/b.c"), "b2\n");
    Expect("alice", {"rm", "-f", "Src/a.c", "Src/b.c"}, 0,
           "File 'a.c' removed from 'Src'.\nFile 'b.c' removed from 'Src'.\n");
}

// Each word is still a pattern of its own, and one that matches nothing does not stop the
// others; only a run without any -f word says nothing.
TEST_F(RoundTrip, ANamedFileThatMatchesNothingFailsTheCommand) {
    const std::string a = dir.WriteFile("work/a.c", "a\n");
    const std::string missing = dir.Path("work/nothere.c");
    const std::string noMatch = "No file matches '" + missing + "'.\n";
    const std::string pattern = dir.Path("work/*.h");
    Expect("alice", {"add", "-f", missing, "-t", "Src"}, kFileError, noMatch);
    Expect("alice", {"add", "-f", pattern, a, "-t", "Src"}, kFileError,
           "No file matches '" + pattern + "'.\nFile '" + a + "' added to 'Src'.\n");
    Expect("alice", {"ci", "-f", missing, "-t", "Src"}, kFileError, noMatch);
    Expect("alice", {"status", "-f", a, missing, "-t", "Src"}, kFileError,
           noMatch + "checked-in      1  Src\\a.c\n");
    Expect("alice", {"status", "-f", missing, "-t", "Src", "-json"}, kFileError,
           "{\"error\":\"No file matches '" + missing + "'.\",\"code\":-1001}\n");
    // Found in a sub-folder only: a match all the same.
    const std::string deep = dir.WriteFile("deep/sub/d.c", "d\n");
    Expect("alice", {"add", "-f", dir.Path("deep/*.c"), "-t", "Src", "-r"}, 0,
           "File '" + deep + "' added to 'Src'.\n");
    Expect("alice", {"add", "-t", "Src"}, 0, "");
}

}  // namespace
