#include "test_support/background_program.h"

#include <csignal>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace testsupport {
namespace {

using std::chrono::milliseconds;

TEST(BackgroundProgramTest, GivesEachAwaitedLineEvenWhenItArrivesInPieces) {
    TempDir dir;
    BackgroundProgram program({"/bin/sh", "-c",
                               "echo \"$BRELMOX_PROBE\" >&2; printf 'noise\\nrea'; sleep 0.2; "
                               "printf 'dy at 1\\nready again\\n'; exec sleep 60"},
                              {{"BRELMOX_PROBE", "to standard error"}}, dir.Path("err"));
    EXPECT_EQ(program.WaitForLine("ready"), "ready at 1");
    EXPECT_EQ(program.WaitForLine("ready"), "ready again");
    EXPECT_EQ(program.Stop(), 128 + SIGTERM);
    EXPECT_EQ(program.Stop(), 128 + SIGTERM) << "a second stop gives the same status";
    EXPECT_EQ(dir.ReadFile("err"), "to standard error\n");
}

TEST(BackgroundProgramTest, GivesNothingWhenTheOutputEndsOrTheTimeoutPasses) {
    TempDir dir;
    BackgroundProgram ended({"/bin/sh", "-c", "echo ready-not; echo other"}, {}, dir.Path("e1"));
    EXPECT_EQ(ended.WaitForLine("ready "), std::nullopt);
    EXPECT_EQ(ended.Stop(), 0);

    BackgroundProgram silent({"/bin/sh", "-c", "exec sleep 60"}, {}, dir.Path("e2"));
    EXPECT_EQ(silent.WaitForLine("ready", milliseconds(100)), std::nullopt);
    EXPECT_EQ(silent.Stop(), 128 + SIGTERM);
}

TEST(BackgroundProgramTest, KillsAProgramThatIgnoresTheRequestToStop) {
    TempDir dir;
    BackgroundProgram stubborn({"/bin/sh", "-c", "trap '' TERM; echo up; exec sleep 60"}, {},
                               dir.Path("err"));
    ASSERT_EQ(stubborn.WaitForLine("up"), "up");
    EXPECT_EQ(stubborn.Stop(milliseconds(100)), 128 + SIGKILL);
}

TEST(BackgroundProgramTest, GoingOutOfScopeStopsTheProgramAndWaitsForIt) {
    TempDir dir;
    {
        BackgroundProgram program(
            {"/bin/sh", "-c",
             "trap 'echo stopped >&2; exit 0' TERM; echo up; while :; do sleep 0.05; done"},
            {}, dir.Path("err"));
        ASSERT_EQ(program.WaitForLine("up"), "up");
    }
    EXPECT_EQ(dir.ReadFile("err"), "stopped\n");
}

TEST(BackgroundProgramTest, ReportsAProgramThatCannotStart) {
    TempDir dir;
    BackgroundProgram missing({"/nonexistent/program"}, {}, dir.Path("err"));
    EXPECT_EQ(missing.WaitForLine("up"), std::nullopt);
    EXPECT_EQ(missing.Stop(), 127);
    EXPECT_EQ(dir.ReadFile("err"),
              "cannot run '/nonexistent/program': No such file or directory\n");
}

}  // namespace
}  // namespace testsupport
