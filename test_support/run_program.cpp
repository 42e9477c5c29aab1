// Running a program and what starting one means the same way on every platform.
#include "test_support/run_program.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "test_support/spawn.h"

namespace testsupport {
namespace {

platform::UniqueFd FileHolding(const std::string& bytes) {
    platform::UniqueFd file = NewStreamFile();
    // Written without moving the file position, which the program reads on from.
    if (file.valid() && !platform::WriteAllAt(file.get(), bytes.data(), bytes.size(), 0)) {
        file = platform::UniqueFd();
    }
    return file;
}

std::string ContentOf(const platform::UniqueFd& file) {
    std::string content;
    char buffer[65536];
    long long got;
    while ((got = platform::ReadAt(file.get(), buffer, sizeof buffer, content.size())) > 0) {
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
    ChildProcess child = -1;
    const int error =
        in.valid() && out.valid() && err.valid()
            ? SpawnProgram(argv, extraEnv, {in.get(), out.get(), err.get()}, cwd, &child)
            : errno;
    if (error != 0) return RunResult{127, "", CannotRunText(argv[0], error)};
    const int exitStatus = *WaitForExit(child);
    return RunResult{exitStatus, ContentOf(out), ContentOf(err)};
}

std::string CannotRunText(const std::string& program, int error) {
    return "cannot run '" + program + "': " + std::strerror(error) + "\n";
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
