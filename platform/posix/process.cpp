#include "platform/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

void ReportErrno(int fd) {
    const int error = errno;
    // Nothing more can be done in a child that failed to start the program.
    [[maybe_unused]] ssize_t written = write(fd, &error, sizeof error);
}

// In a process that lives as long as the program: none of the caller's files, sockets or
// pipes may stay open because of it.
void CloseEverything(long openMax) {
    if (close_range(0, ~0U, 0) == 0) return;
    for (long fd = 0; fd < openMax; ++fd) close(static_cast<int>(fd));
}

// Runs in a forked child, so only async-signal-safe calls: waits for the program, then
// removes each path, a file or else an empty folder.
[[noreturn]] void RemoveWhenEnded(pid_t program, const std::vector<const char*>& paths,
                                  long openMax) {
    CloseEverything(openMax);
    while (waitpid(program, nullptr, 0) < 0 && errno == EINTR) {
    }
    for (const char* path : paths) {
        if (unlink(path) != 0) rmdir(path);
    }
    _exit(0);
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   int* error, const std::vector<std::string>& leftovers) {
    // Everything the children need is made before they exist: after a fork in a threaded
    // process only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<const char*> leftoverPaths;
    for (const std::string& path : leftovers) leftoverPaths.push_back(path.c_str());
    const long openMax = sysconf(_SC_OPEN_MAX);

    // The pipe closes by itself when the program starts; a failure sends its errno first.
    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0) {
        *error = errno;
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(status[0]);
        setsid();
        // With leftovers the program's parent is a watcher that outlives this child, which
        // still ends at once so that the caller never waits for the program.
        if (!leftoverPaths.empty()) {
            const pid_t watcher = fork();
            if (watcher < 0) ReportErrno(status[1]);
            if (watcher != 0) _exit(0);
        }
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(argv[0], argv.data());
            ReportErrno(status[1]);
            _exit(127);
        }
        if (grandchild < 0) ReportErrno(status[1]);
        if (grandchild > 0 && !leftoverPaths.empty()) {
            RemoveWhenEnded(grandchild, leftoverPaths, openMax);
        }
        _exit(0);
    }
    const int forkError = errno;
    close(status[1]);
    if (child < 0) {
        close(status[0]);
        *error = forkError;
        return false;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int childError = 0;
    ssize_t got;
    while ((got = read(status[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    close(status[0]);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        *error = childError;
        return false;
    }
    return true;
}

}  // namespace platform
