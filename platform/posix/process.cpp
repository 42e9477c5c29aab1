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

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   int* error) {
    // Everything the children need is made before they exist: after a fork in a threaded
    // process only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

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
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(argv[0], argv.data());
            ReportErrno(status[1]);
            _exit(127);
        }
        if (grandchild < 0) ReportErrno(status[1]);
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
