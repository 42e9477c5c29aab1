#include "test_support/run_program.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

TEST(RunProgramTest, GivesTheExitStatusAndEachStreamApart) {
    struct Case {
        const char* name;
        std::vector<std::string> argv;
        std::map<std::string, std::string> env;
        std::string stdinText;
        std::string cwd;
        RunResult expected;
    };
    const Case cases[] = {
        {"exit code and both streams",
         {"/bin/sh", "-c", "printf out; printf err >&2; exit 3"},
         {},
         "",
         "",
         {3, "out", "err"}},
        {"ended by a signal", {"/bin/sh", "-c", "kill -TERM $$"}, {}, "", "", {128 + 15, "", ""}},
        {"standard input", {"/bin/cat"}, {}, "line 1\nline 2", "", {0, "line 1\nline 2", ""}},
        {"extra variable",
         {"sh", "-c", "printf %s \"$BRELMOX_PROBE\""},
         {{"BRELMOX_PROBE", "a b"}},
         "",
         "",
         {0, "a b", ""}},
        {"working folder", {"/bin/pwd"}, {}, "", "/usr", {0, "/usr\n", ""}},
        {"missing program",
         {"/nonexistent/program"},
         {},
         "",
         "",
         {127, "", "cannot run '/nonexistent/program': No such file or directory\n"}},
    };
    for (const Case& c : cases) {
        RunResult result = RunProgram(c.argv, c.env, c.stdinText, c.cwd);
        EXPECT_EQ(result.exitStatus, c.expected.exitStatus) << c.name;
        EXPECT_EQ(result.stdoutText, c.expected.stdoutText) << c.name;
        EXPECT_EQ(result.stderrText, c.expected.stderrText) << c.name;
    }
}

TEST(RunProgramTest, MovesMoreThanAPipeHoldsInEveryDirectionAtOnce) {
    const std::string input(1 << 20, 'i');
    RunResult result =
        RunProgram({"/bin/sh", "-c", "cat; head -c 1048576 /dev/zero >&2"}, {}, input);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.stdoutText, input);
    EXPECT_EQ(result.stderrText, std::string(1 << 20, '\0'));
}

TEST(BinPathTest, PointsIntoTheFolderCTestGives) {
    ASSERT_NE(std::getenv("BRELMOX_BIN_DIR"), nullptr) << "run through ctest";
    EXPECT_EQ(BinPath("brelmox"), std::string(std::getenv("BRELMOX_BIN_DIR")) + "/brelmox");
}

}  // namespace
}  // namespace testsupport
