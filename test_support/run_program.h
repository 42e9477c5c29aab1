// Running a built program the way a user would, and capturing what it says.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
    int exitStatus = -1;  // as WaitForExit gives it: the exit code, or 128 + a signal on POSIX
    std::string stdoutText;
    std::string stderrText;
};

// Runs argv[0] (searched in PATH when it has no separator) with the test's environment plus
// extraEnv (which replaces variables of the same name), stdinText as its standard input and
// cwd as its working folder when not empty. A program that cannot be started gives exit
// status 127 and the reason on stderrText.
RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& extraEnv = {},
                     const std::string& stdinText = "", const std::string& cwd = "");

// The exit status of a program that ends with this result code: the whole code on Windows,
// its low byte on POSIX.
int ExitStatusFor(int resultCode);

// Text with each line ended as this platform's programs end the lines they write: LF, and
// CR LF on Windows.
std::string NativeLines(const std::string& text);

// $BRELMOX_BIN_DIR + "/" + program: where the build put the program. CTest sets the
// variable; without it the test fails with a message saying so.
std::string BinPath(const std::string& program);

}  // namespace testsupport
