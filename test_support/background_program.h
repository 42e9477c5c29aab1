// A program that runs beside a test, such as a server the test talks to: started when the
// object is made, stopped when it goes.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "test_support/spawn.h"

namespace testsupport {

class BackgroundProgram {
  public:
    // Starts argv[0] as RunProgram does, with empty standard input and standard error going
    // to the file stderrPath (created or emptied); WaitForLine reads its standard output.
    // When it cannot be started, the reason goes to stderrPath and Stop gives 127.
    BackgroundProgram(const std::vector<std::string>& argv,
                      const std::map<std::string, std::string>& extraEnv,
                      const std::string& stderrPath);
    ~BackgroundProgram() { Stop(); }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Reads standard output until a line that starts with prefix arrives and gives it without
    // its line ending (LF or CR LF); the lines before it are dropped. Nothing when the output ends
    // or twenty seconds pass first.
    std::optional<std::string> WaitForLine(const std::string& prefix);

    // Waits up to timeout for the program to end by itself: its exit status as RunProgram
    // gives it (later calls and Stop give it again), or nothing while it still runs.
    std::optional<int> WaitForEnd(std::chrono::milliseconds timeout);

    // Sends SIGTERM, waits up to five seconds for the program to end, then kills it. Gives
    // its exit status as RunProgram does; later calls give it again. Windows has no request
    // to end that reaches a console program without a console: there it ends at once, with
    // the status of a POSIX program ended by SIGTERM, 128 + SIGTERM.
    int Stop();
    // For signals other than Stop's, such as a kill that no program can clean up after.
    ChildProcess Pid() const { return child_; }

  private:
    // Keeps the status of the program, which is gone.
    void Ended(int exitStatus);

    ChildProcess child_ = -1;
    int exitStatus_ = 127;
    platform::UniqueFd output_;
    std::string unread_;  // output read and not yet split into lines
};

}  // namespace testsupport
