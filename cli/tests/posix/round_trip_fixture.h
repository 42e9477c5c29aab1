// Round trips through the brelmox program against a real brelmox-server: two users, each
// with a configuration folder of their own, working on one project.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/local_server.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

class RoundTrip : public ::testing::Test {
  protected:
    explicit RoundTrip(
        testsupport::LocalServer::Transport transport = testsupport::LocalServer::Transport::Plain)
        : server_{dir, {"alice", "bob"}, transport} {}

    void SetUp() override { ASSERT_TRUE(server_.Started()); }

    void TearDown() override { EXPECT_EQ(server_.Stop(), 0) << "the server did not stop cleanly"; }

    std::string Config(const std::string& user) const { return server_.ConfigHome(user); }

    // Runs brelmox as the user in dir.
    testsupport::RunResult RunAs(const std::string& user, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), testsupport::BinPath("brelmox"));
        return testsupport::RunProgram(arguments, {{"XDG_CONFIG_HOME", Config(user)}}, "",
                                       dir.Path());
    }

    // Runs brelmox as the user; it must say nothing on standard error.
    void Expect(const std::string& user, const std::vector<std::string>& arguments, int exitStatus,
                const std::string& output) {
        const std::string shown = user + ": " + ::testing::PrintToString(arguments);
        const testsupport::RunResult run = RunAs(user, arguments);
        EXPECT_EQ(run.exitStatus, exitStatus) << shown << "\n" << run.stdoutText;
        EXPECT_EQ(run.stdoutText, output) << shown;
        EXPECT_EQ(run.stderrText, "") << shown;
    }

    // Adds work/NAME holding content to the repository folder Src.
    std::string AddFile(const std::string& name, const std::string& content) {
        const std::string path = dir.WriteFile("work/" + name, content);
        Expect("alice", {"add", "-f", path, "-t", "Src"}, 0,
               "File '" + path + "' added to 'Src'.\n");
        return path;
    }

    testsupport::TempDir dir;
    testsupport::LocalServer server_;
};
