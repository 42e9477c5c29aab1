#include "test_support/background_program.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/windows/system_error.h"

namespace testsupport {
namespace {

using std::chrono::steady_clock;

HANDLE HandleOf(const platform::UniqueFd& fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd.get()));
}

}  // namespace

platform::UniqueFd OpenEmptyInput() {
    return platform::OpenForReading("NUL");
}

bool MakePipe(platform::UniqueFd* readEnd, platform::UniqueFd* writeEnd) {
    HANDLE ends[2];
    if (!CreatePipe(&ends[0], &ends[1], nullptr, 0)) {
        platform::ErrnoFromLastError();
        return false;
    }
    *readEnd = platform::UniqueFd(
        _open_osfhandle(reinterpret_cast<intptr_t>(ends[0]), _O_RDONLY | _O_BINARY));
    *writeEnd = platform::UniqueFd(_open_osfhandle(reinterpret_cast<intptr_t>(ends[1]), _O_BINARY));
    if (readEnd->valid() && writeEnd->valid()) return true;
    errno = EMFILE;
    return false;
}

// Pipes have no wait with a timeout: what is there is looked at in short slices.
std::optional<std::string> BackgroundProgram::WaitForLine(const std::string& prefix) {
    const auto deadline = steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        for (size_t end; (end = unread_.find('\n')) != std::string::npos;) {
            std::string line = unread_.substr(0, end);
            unread_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with(prefix)) return line;
        }
        DWORD available = 0;
        if (!output_.valid() ||
            !PeekNamedPipe(HandleOf(output_), nullptr, 0, nullptr, &available, nullptr)) {
            return std::nullopt;  // the program has ended and its output with it
        }
        if (available == 0) {
            if (steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        char buffer[4096];
        const long long got = platform::ReadSome(output_.get(), buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        unread_.append(buffer, static_cast<size_t>(got));
    }
}

int BackgroundProgram::Stop() {
    if (child_ < 0) return exitStatus_;
    TerminateProcess(reinterpret_cast<HANDLE>(child_), 128 + SIGTERM);
    Ended(*WaitForExit(child_));
    return exitStatus_;
}

}  // namespace testsupport
