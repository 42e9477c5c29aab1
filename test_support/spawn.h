// Starting a program for a test and waiting for it: the pieces shared by RunProgram and
// BackgroundProgram.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Starts argv[0] (searched in PATH when it has no '/') on the descriptors streams gives as
// its standard input, output and error, with this process's environment plus extraEnv
// (which replaces variables of the same name) and cwd as its working folder when not
// empty. Returns 0 and sets *pid, or an errno value.
int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const int (&streams)[3],
                 const std::string& cwd, pid_t* pid);

// "cannot run 'PROGRAM': REASON" and a line feed.
std::string CannotRunText(const std::string& program, int error);

// The exit code, or 128 + the signal that ended the program; -1 when it cannot be waited
// for. With WNOHANG as options, nothing while it still runs.
std::optional<int> WaitForExit(pid_t pid, int options = 0);

}  // namespace testsupport
