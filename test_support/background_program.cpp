// What starting and waiting for a background program mean the same way on every platform.
#include "test_support/background_program.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

namespace testsupport {

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& extraEnv,
                                     const std::string& stderrPath) {
    const platform::UniqueFd errors = platform::CreateForWriting(stderrPath);
    const platform::UniqueFd input = platform::OpenForReading(kEmptyInput);
    platform::UniqueFd outputEnd;
    if (!errors.valid() || !input.valid() || !MakePipe(&output_, &outputEnd)) {
        ADD_FAILURE() << "cannot start '" << argv[0] << "' with its standard error in '"
                      << stderrPath << "': " << std::strerror(errno);
        return;
    }
    // Only the program keeps the writing end once started, so the output ends when it does.
    const int error =
        SpawnProgram(argv, extraEnv, {input.get(), outputEnd.get(), errors.get()}, "", &child_);
    if (error != 0) {
        child_ = -1;
        const std::string reason = CannotRunText(argv[0], error);
        if (!platform::WriteAll(errors.get(), reason.data(), reason.size()))
            ADD_FAILURE() << reason;
    }
}

std::optional<std::string> BackgroundProgram::WaitForLine(const std::string& prefix) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        for (size_t end; (end = unread_.find('\n')) != std::string::npos;) {
            std::string line = unread_.substr(0, end);
            unread_.erase(0, end + 1);
            if (line.ends_with('\r')) line.pop_back();
            if (line.starts_with(prefix)) return line;
        }
        if (!output_.valid() || !WaitForInput(output_, deadline)) return std::nullopt;
        char buffer[4096];
        const long long got = platform::ReadSome(output_.get(), buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        unread_.append(buffer, static_cast<size_t>(got));
    }
}

std::optional<int> BackgroundProgram::WaitForEnd(std::chrono::milliseconds timeout) {
    if (child_ < 0) return exitStatus_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const std::optional<int> status = WaitForExit(child_, false)) {
            Ended(*status);
            return exitStatus_;
        }
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void BackgroundProgram::Ended(int exitStatus) {
    child_ = -1;
    exitStatus_ = exitStatus;
    output_ = platform::UniqueFd();
}

}  // namespace testsupport
