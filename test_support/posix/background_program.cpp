#include "test_support/background_program.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <gtest/gtest.h>

#include "test_support/spawn.h"

namespace testsupport {

using std::chrono::steady_clock;

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& extraEnv,
                                     const std::string& stderrPath) {
    platform::UniqueFd errors(
        open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    platform::UniqueFd input(open("/dev/null", O_RDONLY | O_CLOEXEC));
    int ends[2];
    if (!errors.valid() || !input.valid() || pipe2(ends, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "cannot start '" << argv[0] << "' with its standard error in '"
                      << stderrPath << "': " << std::strerror(errno);
        return;
    }
    output_ = platform::UniqueFd(ends[0]);
    // Only the program keeps the writing end, so the output ends when the program does.
    const platform::UniqueFd outputEnd(ends[1]);
    const int error =
        SpawnProgram(argv, extraEnv, {input.get(), ends[1], errors.get()}, "", &child_);
    if (error != 0) {
        child_ = -1;
        const std::string reason = CannotRunText(argv[0], error);
        if (!platform::WriteAll(errors.get(), reason.data(), reason.size()))
            ADD_FAILURE() << reason;
    }
}

std::optional<std::string> BackgroundProgram::WaitForLine(const std::string& prefix) {
    const auto deadline = steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        for (size_t end; (end = unread_.find('\n')) != std::string::npos;) {
            std::string line = unread_.substr(0, end);
            unread_.erase(0, end + 1);
            if (line.starts_with(prefix)) return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
        pollfd watched{output_.get(), POLLIN, 0};
        if (!output_.valid() || left.count() <= 0 ||
            poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char buffer[4096];
        const ssize_t got = read(output_.get(), buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        unread_.append(buffer, static_cast<size_t>(got));
    }
}

int BackgroundProgram::Stop() {
    if (child_ < 0) return exitStatus_;
    kill(static_cast<pid_t>(child_), SIGTERM);
    if (!WaitForEnd(std::chrono::seconds(5))) {
        kill(static_cast<pid_t>(child_), SIGKILL);
        Ended(*WaitForExit(child_));
    }
    return exitStatus_;
}

}  // namespace testsupport
