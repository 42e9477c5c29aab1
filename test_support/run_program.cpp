#include "test_support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <gtest/gtest.h>

#include "test_support/spawn.h"

namespace testsupport {
namespace {

struct ChildStreams {
    PipeEnds in, out, err;
};

// Starts the program on the pipes; 0 or an errno value.
int Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extraEnv,
          const std::string& cwd, ChildStreams* streams, pid_t* pid) {
    if (!MakePipe(&streams->in) || !MakePipe(&streams->out) || !MakePipe(&streams->err)) {
        return errno;
    }
    int error = SpawnProgram(
        argv, extraEnv,
        {streams->in.read.Get(), streams->out.write.Get(), streams->err.write.Get()}, cwd, pid);
    // Only the child keeps its ends, so each stream ends when the child closes it.
    streams->in.read.Reset();
    streams->out.write.Reset();
    streams->err.write.Reset();
    return error;
}

void Feed(UniqueFd& to, const std::string& text, size_t* written) {
    ssize_t sent = write(to.Get(), text.data() + *written, text.size() - *written);
    if (sent > 0) *written += static_cast<size_t>(sent);
    // A program that does not read all of its input just ends it early.
    bool failed = sent < 0 && errno != EINTR && errno != EAGAIN;
    if (failed || *written == text.size()) to.Reset();
}

// Feeds the input and collects both outputs until the program has closed them.
void Exchange(ChildStreams& streams, const std::string& stdinText, RunResult* result) {
    UniqueFd& input = streams.in.write;
    if (stdinText.empty()) input.Reset();
    if (input.Valid()) fcntl(input.Get(), F_SETFL, O_NONBLOCK);
    size_t written = 0;
    while (streams.out.read.Valid() || streams.err.read.Valid()) {
        pollfd watched[3] = {{streams.out.read.Get(), POLLIN, 0},
                             {streams.err.read.Get(), POLLIN, 0},
                             {input.Get(), POLLOUT, 0}};
        if (poll(watched, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[0].revents != 0) Collect(streams.out.read, &result->stdoutText);
        if (watched[1].revents != 0) Collect(streams.err.read, &result->stderrText);
        if (watched[2].revents != 0) Feed(input, stdinText, &written);
    }
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& extraEnv,
                     const std::string& stdinText, const std::string& cwd) {
    RunResult result;
    if (argv.empty()) {
        ADD_FAILURE() << "RunProgram needs at least the program to run";
        return result;
    }
    // Writing to a program that stopped reading must fail, not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    ChildStreams streams;
    pid_t pid = 0;
    int error = Spawn(argv, extraEnv, cwd, &streams, &pid);
    if (error != 0) {
        result.exitStatus = 127;
        result.stderrText = CannotRunText(argv[0], error);
        return result;
    }
    Exchange(streams, stdinText, &result);
    result.exitStatus = WaitForExit(pid);
    return result;
}

std::string BinPath(const std::string& program) {
    const char* folder = std::getenv("BRELMOX_BIN_DIR");
    if (folder == nullptr || *folder == '\0') {
        ADD_FAILURE() << "BRELMOX_BIN_DIR is not set: run the tests through ctest, which sets it "
                         "to the folder of the built programs";
        return "";
    }
    return std::string(folder) + "/" + program;
}

}  // namespace testsupport
