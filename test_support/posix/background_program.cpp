#include "test_support/background_program.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

#include "test_support/spawn.h"

namespace testsupport {

using std::chrono::steady_clock;

const char kEmptyInput[] = "/dev/null";

bool MakePipe(platform::UniqueFd* readEnd, platform::UniqueFd* writeEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    *readEnd = platform::UniqueFd(ends[0]);
    *writeEnd = platform::UniqueFd(ends[1]);
    return true;
}

bool WaitForInput(const platform::UniqueFd& pipe, steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
    pollfd watched{pipe.get(), POLLIN, 0};
    return left.count() > 0 && poll(&watched, 1, static_cast<int>(left.count())) > 0;
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
