// Starting a program with the standard streams and environment a test gives it, and
// waiting for it: the pieces shared by the runners of the tests.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "test_support/unique_fd.h"

namespace testsupport {

struct PipeEnds {
    UniqueFd read;
    UniqueFd write;
};

// Both ends are closed on exec, so a started program inherits only what it is given.
bool MakePipe(PipeEnds* ends);

// The descriptors a started program gets as its standard input, output and error.
struct StandardStreams {
    int in;
    int out;
    int err;
};

// Starts argv[0] (searched in PATH when it has no '/') with this process's environment plus
// extraEnv (which replaces variables of the same name), the given streams, and cwd as its
// working folder when not empty. The program starts with the signal state a program
// normally starts with. Returns 0 and sets *pid, or an errno value.
int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const StandardStreams& streams,
                 const std::string& cwd, pid_t* pid);

// What a runner says about a program that could not be started: "cannot run 'PROGRAM':
// REASON" and a line feed.
std::string CannotRunText(const std::string& program, int error);

// Reads what is there from a readable descriptor and appends it; closes the descriptor once
// the other side has closed it (or it fails).
void Collect(UniqueFd& from, std::string* into);

// Waits for the program to end: its exit code, or 128 + the signal that ended it; -1 when
// it cannot be waited for.
int WaitForExit(pid_t pid);
// The same without waiting: nothing while the program still runs.
std::optional<int> ExitIfEnded(pid_t pid);

}  // namespace testsupport
