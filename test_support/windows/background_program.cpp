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

using std::chrono::steady_clock;

const char kEmptyInput[] = "NUL";

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
bool WaitForInput(const platform::UniqueFd& pipe, steady_clock::time_point deadline) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(pipe.get()));
    for (;;) {
        DWORD available = 0;
        // Failing once the writing end has closed.
        if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
            return true;
        }
        if (steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int BackgroundProgram::Stop() {
    if (child_ < 0) return exitStatus_;
    TerminateProcess(reinterpret_cast<HANDLE>(child_), 128 + SIGTERM);
    Ended(*WaitForExit(child_));
    return exitStatus_;
}

}  // namespace testsupport
