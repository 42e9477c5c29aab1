#include "test_support/spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

extern char** environ;

namespace testsupport {
namespace {

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

// The spawn settings: the standard streams, the working folder, and the signal state a
// program normally starts with (a test program may ignore SIGPIPE).
class SpawnSettings {
  public:
    SpawnSettings(const StandardStreams& streams, const std::string& cwd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_adddup2(&actions_, streams.in, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, streams.out, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, streams.err, STDERR_FILENO);
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

int DecodedStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

bool MakePipe(PipeEnds* ends) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    ends->read = UniqueFd(fds[0]);
    ends->write = UniqueFd(fds[1]);
    return true;
}

int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const StandardStreams& streams,
                 const std::string& cwd, pid_t* pid) {
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = MergedEnvironment(extraEnv);
    SpawnSettings settings(streams, cwd);
    return posix_spawnp(pid, arguments[0].c_str(), settings.Actions(), settings.Attributes(),
                        NullTerminated(arguments).data(), NullTerminated(environment).data());
}

std::string CannotRunText(const std::string& program, int error) {
    return "cannot run '" + program + "': " + std::strerror(error) + "\n";
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

int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return DecodedStatus(status);
}

std::optional<int> ExitIfEnded(pid_t pid) {
    int status = 0;
    pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == 0 || (ended < 0 && errno == EINTR)) return std::nullopt;
    return ended < 0 ? -1 : DecodedStatus(status);
}

}  // namespace testsupport
