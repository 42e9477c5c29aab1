// Running a built program the way a user would, and capturing what it says.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
    int exitStatus = -1;  // the exit code, or 128 + the signal that ended the program
    std::string stdoutText;
    std::string stderrText;
};

// Runs argv[0] (searched in PATH when it has no '/') with the test's environment plus
// extraEnv (which replaces variables of the same name), stdinText as its standard input and
// cwd as its working folder when not empty. A program that cannot be started gives exit
// status 127 and the reason on stderrText.
RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& extraEnv = {},
                     const std::string& stdinText = "", const std::string& cwd = "");

// $BRELMOX_BIN_DIR + "/" + program: where the build put the program. CTest sets the
// variable; without it the test fails with a message saying so.
std::string BinPath(const std::string& program);

}  // namespace testsupport
