// What waiting for a background program means the same way on every platform.
#include "test_support/background_program.h"

#include <thread>

namespace testsupport {

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
