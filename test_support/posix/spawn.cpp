#include "test_support/spawn.h"
#include "test_support/run_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

extern char** environ;

namespace testsupport {
namespace {

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extraEnv) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (extraEnv.count(text.substr(0, text.find('='))) == 0) environment.push_back(text);
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

}  // namespace

int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const int (&streams)[3],
                 const std::string& cwd, ChildProcess* child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int target = 0; target < 3; ++target) {
        posix_spawn_file_actions_adddup2(&actions, streams[target], target);
    }
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    // The program starts with the signal state any program starts with, though the test
    // program ignores SIGPIPE.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = MergedEnvironment(extraEnv);
    pid_t pid = -1;
    const int error =
        posix_spawnp(&pid, arguments[0].c_str(), &actions, &attributes,
                     NullTerminated(arguments).data(), NullTerminated(environment).data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    *child = pid;
    return error;
}

std::optional<int> WaitForExit(ChildProcess child, bool block) {
    int status = 0;
    pid_t ended;
    while ((ended = waitpid(static_cast<pid_t>(child), &status, block ? 0 : WNOHANG)) < 0 &&
           errno == EINTR) {
    }
    if (ended == 0) return std::nullopt;
    if (ended < 0) return -1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

int ExitStatusFor(int resultCode) {
    return resultCode & 0xff;
}

std::string NativeLines(const std::string& text) {
    return text;
}

}  // namespace testsupport
