#include "test_support/background_program.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

#include "test_support/spawn.h"

namespace testsupport {

using std::chrono::steady_clock;

platform::UniqueFd OpenEmptyInput() {
    return platform::OpenForReading("/dev/null");
}

bool MakePipe(platform::UniqueFd* readEnd, platform::UniqueFd* writeEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    *readEnd = platform::UniqueFd(ends[0]);
    *writeEnd = platform::UniqueFd(ends[1]);
    return true;
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
