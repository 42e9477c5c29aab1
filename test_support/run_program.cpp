#include "test_support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

#include "test_support/unique_fd.h"

extern char** environ;

namespace testsupport {
namespace {

struct PipeEnds {
    UniqueFd read;
    UniqueFd write;
};

struct ChildStreams {
    PipeEnds in, out, err;
};

bool MakePipe(PipeEnds* ends) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    ends->read = UniqueFd(fds[0]);
    ends->write = UniqueFd(fds[1]);
    return true;
}

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extraEnv) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        if (extraEnv.count(std::string(text.substr(0, text.find('=')))) == 0) {
            environment.emplace_back(text);
        }
    }
    for (const auto& [name, value] : extraEnv) environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The spawn settings: the three pipes as standard streams, the working folder, and the
// signal state a program normally starts with (this process ignores SIGPIPE).
class SpawnSettings {
  public:
    SpawnSettings(const ChildStreams& streams, const std::string& cwd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_adddup2(&actions_, streams.in.read.Get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, streams.out.write.Get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, streams.err.write.Get(), STDERR_FILENO);
        if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions_, cwd.c_str());
        posix_spawnattr_init(&attributes_);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes_, &signals);
        sigaddset(&signals, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes_, &signals);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    const posix_spawn_file_actions_t* Actions() const { return &actions_; }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }

  private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Starts the program on the pipes; 0 or an errno value.
int Spawn(std::vector<std::string> argv, std::vector<std::string> environment,
          const std::string& cwd, ChildStreams* streams, pid_t* pid) {
    if (!MakePipe(&streams->in) || !MakePipe(&streams->out) || !MakePipe(&streams->err)) {
        return errno;
    }
    SpawnSettings settings(*streams, cwd);
    int error = posix_spawnp(pid, argv[0].c_str(), settings.Actions(), settings.Attributes(),
                             NullTerminated(argv).data(), NullTerminated(environment).data());
    // Only the child keeps its ends, so each stream ends when the child closes it.
    streams->in.read.Reset();
    streams->out.write.Reset();
    streams->err.write.Reset();
    return error;
}

void Collect(UniqueFd& from, std::string* into) {
    char buffer[65536];
    ssize_t got = read(from.Get(), buffer, sizeof buffer);
    if (got > 0) {
        into->append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        from.Reset();
    }
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

int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
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
    int error = Spawn(argv, MergedEnvironment(extraEnv), cwd, &streams, &pid);
    if (error != 0) {
        result.exitStatus = 127;
        result.stderrText = "cannot run '" + argv[0] + "': " + std::strerror(error) + "\n";
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
