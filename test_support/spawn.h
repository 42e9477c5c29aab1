// Starting a program for a test and waiting for it: the pieces shared by RunProgram and
// BackgroundProgram.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace testsupport {

// A started program: its process id on POSIX, its process handle on Windows.
using ChildProcess = std::intptr_t;

// Starts argv[0] (searched in PATH when it has no separator) on the descriptors streams gives
// as its standard input, output and error, with this process's environment plus extraEnv
// (which replaces variables of the same name) and cwd as its working folder when not
// empty. Returns 0 and sets *child, or an errno value.
int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const int (&streams)[3],
                 const std::string& cwd, ChildProcess* child);

// An empty file to stand as a program's standard stream, rather than a pipe, so that the
// program never waits for the test to read or write however much it says: in memory on POSIX,
// a temporary file that goes with its last handle on Windows. Invalid with errno set.
platform::UniqueFd NewStreamFile();

// The system's empty input.
extern const char kEmptyInput[];

// A pipe whose ends no program started later inherits; false with errno set.
bool MakePipe(platform::UniqueFd* readEnd, platform::UniqueFd* writeEnd);

// Waits until the pipe's reading end has bytes to read or the writing end has closed (true),
// or deadline passes (false).
bool WaitForInput(const platform::UniqueFd& pipe, std::chrono::steady_clock::time_point deadline);

// "cannot run 'PROGRAM': REASON" and a line feed.
std::string CannotRunText(const std::string& program, int error);

// The exit code (on Windows the whole 32-bit value, negative ones included), or on POSIX
// 128 + the signal that ended the program; -1 when it cannot be waited for. Without block,
// nothing while it still runs. Once it gives a status, the child is gone.
std::optional<int> WaitForExit(ChildProcess child, bool block = true);

}  // namespace testsupport
