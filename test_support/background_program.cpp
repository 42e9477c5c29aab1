#include "test_support/background_program.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "test_support/spawn.h"

namespace testsupport {

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& extraEnv,
                                     const std::string& stderrPath) {
    if (argv.empty()) {
        ADD_FAILURE() << "BackgroundProgram needs at least the program to run";
        return;
    }
    UniqueFd errors(open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    UniqueFd input(open("/dev/null", O_RDONLY | O_CLOEXEC));
    PipeEnds output;
    if (!errors.Valid() || !input.Valid() || !MakePipe(&output)) {
        const int reason = errno;
        ADD_FAILURE() << "cannot start '" << argv[0] << "' with its standard error in '"
                      << stderrPath << "': " << std::strerror(reason);
        return;
    }
    int error =
        SpawnProgram(argv, extraEnv, {input.Get(), output.write.Get(), errors.Get()}, "", &pid_);
    if (error != 0) {
        pid_ = -1;
        exitStatus_ = 127;
        const std::string reason = CannotRunText(argv[0], error);
        if (write(errors.Get(), reason.data(), reason.size()) < 0) ADD_FAILURE() << reason;
        return;
    }
    output_ = std::move(output.read);
}

std::optional<std::string> BackgroundProgram::WaitForLine(const std::string& prefix,
                                                          std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (std::optional<std::string> line = TakeLine(prefix)) return line;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!output_.Valid() || left.count() <= 0) return std::nullopt;
        pollfd watched{output_.Get(), POLLIN, 0};
        int ready = poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR) return std::nullopt;
        if (ready > 0) Collect(output_, &unread_);
    }
}

std::optional<std::string> BackgroundProgram::TakeLine(const std::string& prefix) {
    for (size_t end; (end = unread_.find('\n')) != std::string::npos;) {
        std::string line = unread_.substr(0, end);
        unread_.erase(0, end + 1);
        if (line.starts_with(prefix)) return line;
    }
    return std::nullopt;
}

int BackgroundProgram::Stop(std::chrono::milliseconds grace) {
    if (pid_ < 0) return exitStatus_;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    std::optional<int> status = ExitIfEnded(pid_);
    while (!status && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        status = ExitIfEnded(pid_);
    }
    if (!status) {
        kill(pid_, SIGKILL);
        status = WaitForExit(pid_);
    }
    pid_ = -1;
    exitStatus_ = *status;
    output_.Reset();
    return exitStatus_;
}

}  // namespace testsupport
