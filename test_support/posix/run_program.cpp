#include "test_support/run_program.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "test_support/spawn.h"

namespace testsupport {
namespace {

// The standard streams are anonymous files rather than pipes: the program never waits for
// the test to read or write, however much it says.
platform::UniqueFd FileHolding(const std::string& bytes) {
    platform::UniqueFd file(memfd_create("brelmox-test-stream", MFD_CLOEXEC));
    if (file.valid() && (!platform::WriteAll(file.get(), bytes.data(), bytes.size()) ||
                         lseek(file.get(), 0, SEEK_SET) != 0)) {
        file = platform::UniqueFd();
    }
    return file;
}

std::string ContentOf(const platform::UniqueFd& file) {
    std::string content;
    char buffer[65536];
    ssize_t got;
    while ((got = pread(file.get(), buffer, sizeof buffer, content.size())) > 0) {
        content.append(buffer, static_cast<size_t>(got));
    }
    return content;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& extraEnv,
                     const std::string& stdinText, const std::string& cwd) {
    const platform::UniqueFd in = FileHolding(stdinText);
    const platform::UniqueFd out = FileHolding("");
    const platform::UniqueFd err = FileHolding("");
    pid_t pid = 0;
    const int error =
        in.valid() && out.valid() && err.valid()
            ? SpawnProgram(argv, extraEnv, {in.get(), out.get(), err.get()}, cwd, &pid)
            : errno;
    if (error != 0) return RunResult{127, "", CannotRunText(argv[0], error)};
    const int exitStatus = *WaitForExit(pid);
    return RunResult{exitStatus, ContentOf(out), ContentOf(err)};
}

std::string BinPath(const std::string& program) {
    const char* folder = std::getenv("BRELMOX_BIN_DIR");
    if (folder == nullptr || *folder == '\0') {
        ADD_FAILURE() << "BRELMOX_BIN_DIR is not set: run the tests through ctest, which sets it "
                         "to the folder of the built programs";
        return "";
    }
    return std::string(folder) + "/" + program;
}

}  // namespace testsupport
