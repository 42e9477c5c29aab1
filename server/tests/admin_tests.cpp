// The administration command lines of the real program, and serve's start and stop.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

using testsupport::RunProgram;
using testsupport::RunResult;

class AdminTest : public ::testing::Test {
  protected:
    RunResult Run(std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), testsupport::BinPath("brelmox-server"));
        return RunProgram(arguments, {}, input, dir_.Path());
    }

    testsupport::TempDir dir_;
};

struct CommandCase {
    std::vector<std::string> arguments;
    std::string input;
    int exitStatus;
    std::string output;  // standard output, or the first line of standard error on failure
};

TEST_F(AdminTest, CommandLinesAndTheirExitStatuses) {
    const std::vector<CommandCase> cases = {
        {{"org", "add", "acme"},
         "",
         1,
         "brelmox-server: Data folder './brelmox-data' is not initialised (run: brelmox-server "
         "init --data ./brelmox-data)."},
        {{"init"}, "", 0, "Initialised the data folder './brelmox-data'.\n"},
        {{"init", "--data", "./brelmox-data"},
         "",
         1,
         "brelmox-server: Data folder './brelmox-data' is already initialised."},
        {{"org", "add", "acme"}, "", 0, "Added the organization 'acme'.\n"},
        {{"org", "add", "acme", "--data", "brelmox-data"},
         "",
         1,
         "brelmox-server: Organization 'acme' already exists."},
        {{"user", "add", "acme", "alice"}, "s3cret\n", 0, "Added the user 'alice' to 'acme'.\n"},
        {{"user", "add", "acme", "bob"}, "", 1, "brelmox-server: No password on standard input."},
        {{"user", "add", "nope", "bob"}, "pw\n", 1, "brelmox-server: Unknown organization 'nope'."},
        {{"user", "notice", "acme", "alice", "Read the news"},
         "",
         0,
         "Set the notice of 'alice'.\n"},
        {{"user", "notice", "acme", "alice", ""}, "", 0, "Removed the notice of 'alice'.\n"},
        {{"user", "notice", "acme", "carol", "x"},
         "",
         1,
         "brelmox-server: Unknown user 'carol' in 'acme'."},
        {{"project", "add", "acme", "web", "--description", "The site"},
         "",
         0,
         "Added the project 'web' to 'acme'.\n"},
        {{"project", "add", "acme", "web"},
         "",
         1,
         "brelmox-server: Project 'web' already exists in 'acme'."},
        {{"project", "add", "acme"}, "", 1, "brelmox-server: Wrong number of arguments."},
        {{"org", "add", "x", "--description", "d"},
         "",
         1,
         "brelmox-server: Unknown option --description."},
        {{"frobnicate"}, "", 1, "brelmox-server: Unknown command."},
        {{}, "", 1, "brelmox-server: No command given."},
        {{"serve", "--listen", "localhost"},
         "",
         1,
         "brelmox-server: Invalid --listen address 'localhost' (expected HOST:PORT)."},
        {{"serve", "--tls-cert", "c.pem"},
         "",
         1,
         "brelmox-server: --tls-cert and --tls-key go together."},
        {{"serve", "--threads", "0"}, "", 1, "brelmox-server: Invalid thread count '0'."},
        {{"serve", "--data"}, "", 1, "brelmox-server: The option --data needs a value."},
    };
    for (const CommandCase& c : cases) {
        const RunResult result = Run(c.arguments, c.input);
        std::string shown;
        for (const std::string& argument : c.arguments) shown += argument + " ";
        EXPECT_EQ(result.exitStatus, c.exitStatus) << shown << result.stderrText;
        if (c.exitStatus == 0) {
            EXPECT_EQ(result.stdoutText, c.output) << shown;
        } else {
            EXPECT_EQ(result.stderrText.substr(0, result.stderrText.find('\n')), c.output) << shown;
        }
    }
}

// "serve" as a child process with its standard output on a pipe; killed and reaped
// however the test ends, so no server outlives it.
class ServeProcess {
  public:
    ServeProcess(const std::string& program, const std::string& data) {
        int output[2];
        if (pipe(output) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(output[1], STDOUT_FILENO);
            execl(program.c_str(), program.c_str(), "serve", "--data", data.c_str(), "--listen",
                  "127.0.0.1:0", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(output[1]);
        lines_ = fdopen(output[0], "r");
    }
    ~ServeProcess() {
        if (pid_ > 0) Stop(SIGKILL);
        if (lines_ != nullptr) std::fclose(lines_);
    }
    ServeProcess(const ServeProcess&) = delete;
    ServeProcess& operator=(const ServeProcess&) = delete;

    std::string FirstLine() {
        char line[128] = {};
        return lines_ != nullptr && std::fgets(line, sizeof line, lines_) != nullptr ? line : "";
    }
    // The wait status after the signal.
    int Stop(int signal) {
        int status = 0;
        kill(pid_, signal);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }
    bool Started() const { return pid_ > 0 && lines_ != nullptr; }

  private:
    pid_t pid_ = -1;
    std::FILE* lines_ = nullptr;
};

TEST_F(AdminTest, ServePrintsItsAddressAndStopsOnSigtermOrSigint) {
    ASSERT_EQ(Run({"init"}).exitStatus, 0);
    for (const int signal : {SIGTERM, SIGINT}) {
        ServeProcess serve(testsupport::BinPath("brelmox-server"), dir_.Path("brelmox-data"));
        ASSERT_TRUE(serve.Started());
        const std::string line = serve.FirstLine();
        unsigned port = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "listening on 127.0.0.1:%u\n", &port), 1) << line;
        EXPECT_GT(port, 0u);
        const int status = serve.Stop(signal);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

}  // namespace
}  // namespace servertest
