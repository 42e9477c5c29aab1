// Starting a program detached, with what it was given to read removed once it has ended.
#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace platform {
namespace {

TEST(StartDetachedTest, LeftoversGoOnceTheProgramHasEndedAndNothingOfTheCallerIsHeld) {
    testsupport::TempDir dir;
    const std::string copy = dir.WriteFile("compare/main.c", "repository\n");
    const std::string folder = dir.Path("compare");
    // The caller's pipe, which no program it starts inherits: a process that outlived the
    // start while holding its write end would keep the reader from seeing its end.
    int caller[2];
    ASSERT_EQ(pipe2(caller, O_CLOEXEC), 0);
    int error = 0;
    ASSERT_TRUE(StartDetached("sleep", {"1"}, &error, {copy, folder})) << error;
    close(caller[1]);
    pollfd reader{caller[0], POLLIN, 0};
    EXPECT_EQ(poll(&reader, 1, 500), 1) << "the write end is still held";
    char byte;
    EXPECT_EQ(read(caller[0], &byte, 1), 0);
    close(caller[0]);
    // Gone already if the start waited for the program (a watcher holding the start's own
    // pipe) or removed it early.
    EXPECT_TRUE(std::filesystem::exists(copy)) << "removed while the program may still read it";

    for (int i = 0; i < 1000 && std::filesystem::exists(folder); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(StartDetachedTest, AMissingProgramIsReported) {
    testsupport::TempDir dir;
    int error = 0;
    EXPECT_FALSE(StartDetached("no-such-program-here", {}, &error, {dir.Path("leftover")}));
    EXPECT_EQ(error, ENOENT);
}

}  // namespace
}  // namespace platform
