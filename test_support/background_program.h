// A program that runs beside a test, such as a server the test talks to: started when the
// object is made, stopped when it goes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "test_support/unique_fd.h"

namespace testsupport {

class BackgroundProgram {
  public:
    static constexpr std::chrono::milliseconds kLineTimeout{20000};
    static constexpr std::chrono::milliseconds kStopGrace{5000};

    // Starts argv[0] (searched in PATH when it has no '/') with the test's environment plus
    // extraEnv (which replaces variables of the same name). Its standard input is empty, its
    // standard error goes to the file stderrPath (created or emptied), its standard output
    // is read by WaitForLine. When it cannot be started, the reason is written to stderrPath
    // as RunProgram gives it, and Stop gives 127.
    BackgroundProgram(const std::vector<std::string>& argv,
                      const std::map<std::string, std::string>& extraEnv,
                      const std::string& stderrPath);
    ~BackgroundProgram() { Stop(); }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Reads standard output until a line that starts with prefix arrives and gives it without
    // its line feed; the lines before it are dropped. Nothing when the output ends or the
    // timeout passes first. Output after the line stays unread (within the pipe's capacity).
    std::optional<std::string> WaitForLine(const std::string& prefix,
                                           std::chrono::milliseconds timeout = kLineTimeout);

    // Sends SIGTERM, waits up to grace for the program to end, then kills it. Gives its exit
    // status as RunProgram does (128 + the signal that ended it); later calls give it again.
    int Stop(std::chrono::milliseconds grace = kStopGrace);

  private:
    std::optional<std::string> TakeLine(const std::string& prefix);

    pid_t pid_ = -1;
    int exitStatus_ = -1;
    UniqueFd output_;
    std::string unread_;  // output read from the pipe and not yet split into lines
};

}  // namespace testsupport
