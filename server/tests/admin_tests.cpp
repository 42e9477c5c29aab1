// The administration command lines of the real program.
#include <gtest/gtest.h>

#include "common/program_info.h"
#include "pg_test_database.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

using testsupport::BinPath;

struct CommandCase {
    int exitStatus;
    std::string output;  // standard output, or standard error's first line after "brelmox-server: "
    std::vector<std::string> arguments;
    std::string input = "";
};

TEST(AdminTest, CommandLinesAndTheirExitStatuses) {
    if (TestingPostgres())
        GTEST_SKIP() << "data folder messages (pg_two_server_tests run the database's)";
    const testsupport::TempDir dir;
    const CommandCase cases[] = {
        {1,
         "Data folder './brelmox-data' is not initialised (run: brelmox-server init --data "
         "./brelmox-data).",
         {"org", "add", "acme"}},
        {0, "Initialised the data folder './brelmox-data'.\n", {"init"}},
        {1,
         "Data folder './brelmox-data' is already initialised.",
         {"init", "--data", "./brelmox-data"}},
        {0, "Added the organization 'acme'.\n", {"org", "add", "acme"}},
        {1,
         "Organization 'acme' already exists.",
         {"org", "add", "acme", "--data", "brelmox-data"}},
        {0, "Added the user 'alice' to 'acme'.\n", {"user", "add", "acme", "alice"}, "s3cret\n"},
        {1, "No password on standard input.", {"user", "add", "acme", "bob"}},
        {1, "Unknown organization 'nope'.", {"user", "add", "nope", "bob"}, "pw\n"},
        {0, "Set the notice of 'alice'.\n", {"user", "notice", "acme", "alice", "Read it"}},
        {0, "Removed the notice of 'alice'.\n", {"user", "notice", "acme", "alice", ""}},
        {1, "Unknown user 'carol' in 'acme'.", {"user", "notice", "acme", "carol", "x"}},
        {0,
         "Added the project 'web' to 'acme'.\n",
         {"project", "add", "acme", "web", "--description", "d"}},
        {1, "Project 'web' already exists in 'acme'.", {"project", "add", "acme", "web"}},
        {1, "Wrong number of arguments.", {"project", "add", "acme"}},
        {1, "Unknown option --description.", {"org", "add", "x", "--description", "d"}},
        {1, "Unknown command.", {"frobnicate"}},
        {1, "No command given.", {}},
        {1,
         "Invalid --listen address 'localhost' (expected HOST:PORT).",
         {"serve", "--listen", "localhost"}},
        {1, "--tls-cert and --tls-key go together.", {"serve", "--tls-cert", "c.pem"}},
        {1, "Invalid thread count '0'.", {"serve", "--threads", "0"}},
        {1, "The option --data needs a value.", {"serve", "--data"}},
    };
    for (CommandCase c : cases) {
        const std::string shown = ::testing::PrintToString(c.arguments);
        c.arguments.insert(c.arguments.begin(), BinPath("brelmox-server"));
        const testsupport::RunResult result =
            testsupport::RunProgram(c.arguments, {}, c.input, dir.Path());
        EXPECT_EQ(result.exitStatus, c.exitStatus) << shown << result.stderrText;
        if (c.exitStatus == 0) {
            EXPECT_EQ(result.stdoutText, c.output) << shown;
        } else {
            EXPECT_EQ(result.stderrText.substr(0, result.stderrText.find('\n')),
                      "brelmox-server: " + c.output)
                << shown;
        }
    }
}

TEST(AdminTest, HelpAndVersionAnswerWithExitZero) {
    const testsupport::RunResult version =
        testsupport::RunProgram({BinPath("brelmox-server"), "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.stdoutText,
              "brelmox-server " + std::string(brelmox::ProductVersion()) + "\n");

    const testsupport::RunResult help =
        testsupport::RunProgram({BinPath("brelmox-server"), "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.stdoutText.rfind("Usage:\n  brelmox-server init STORAGE\n", 0), 0u);
    for (const char* command :
         {"org add", "org list", "user add", "user list", "user passwd", "user disable|enable",
          "user release", "user notice", "project add", "project list", "project remove", "serve",
          "migrate", "backup", "restore"}) {
        EXPECT_NE(help.stdoutText.find(std::string("brelmox-server ") + command + " "),
                  std::string::npos)
            << command;
    }
}

}  // namespace
}  // namespace servertest
