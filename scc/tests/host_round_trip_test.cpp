// The provider end to end: brelmox-scchost loads the built library as an IDE does and
// works on a real brelmox-server, with a scripted user pressing OK in every dialog. Each
// step is one IDE session of alice; what the server then holds is checked through the
// brelmox program of a second user, bob.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/local_server.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace {

using testsupport::BinPath;
using testsupport::RunResult;

class HostRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server_.Started()); }

    void TearDown() override { EXPECT_EQ(server_.Stop(), 0); }

    std::map<std::string, std::string> Env(const std::string& user) const {
        return {{"XDG_CONFIG_HOME", server_.ConfigHome(user)}, {"QT_QPA_PLATFORM", "offscreen"}};
    }

    // One IDE session of alice: log in, open the project on the work folder, make the
    // calls, end. Gives what the host printed after opening the project.
    std::string Alice(const std::vector<std::string>& calls,
                      const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments = {BinPath("brelmox-scchost"), "--answer", "ok"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.insert(arguments.end(), {"init", "open Ide " + dir.Path("work") +
                                                       " createifnew -m \"made by the IDE\""});
        arguments.insert(arguments.end(), calls.begin(), calls.end());
        arguments.push_back("uninit");
        const RunResult run = testsupport::RunProgram(arguments, Env("alice"));
        EXPECT_EQ(run.exitStatus, 0) << run.stderrText;
        const std::string opened =
            "dialog: CLogin OK\n"
            "SccInitialize: SCC_OK (0), provider 'Brelmox', capabilities 0x40009AFE\n"
            "SccOpenProject: SCC_OK (0), project 'Ide'\n";
        EXPECT_EQ(run.stdoutText.substr(0, opened.size()), opened) << run.stdoutText;
        EXPECT_NE(run.stdoutText.find("SccUninitialize: SCC_OK (0)\n"), std::string::npos);
        return run.stdoutText.substr(std::min(opened.size(), run.stdoutText.size()));
    }

    // bob's brelmox command in his own folder; gives its exit status.
    int Bob(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BinPath("brelmox"));
        const RunResult run = testsupport::RunProgram(arguments, Env("bob"), "", dir.Path());
        bobSaid = run.stdoutText;
        return run.exitStatus;
    }

    std::string Work(const std::string& name) const { return dir.Path("work/src/" + name); }

    testsupport::TempDir dir;
    testsupport::LocalServer server_{dir, {"alice", "bob"}};
    std::string bobSaid;
};

TEST_F(HostRoundTrip, EveryFileCommandReachesTheServer) {
    std::string files;
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        dir.WriteFile("work/src/" + name, "version 1 of " + name + "\n");
        files += " " + Work(name);
    }
    // The first session creates the project; bob then works in it too.
    EXPECT_EQ(Alice({"add" + files}), "SccAdd: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Bob({"cfg", "-pr", "Ide"}), 0);
    EXPECT_EQ(Bob({"get", "-f", "src/*.*", "-t", dir.Path("bob")}), 0) << bobSaid;
    EXPECT_EQ(dir.ReadFile("bob/f5.c"), "version 1 of f5.c\n");

    EXPECT_EQ(Alice({"co " + Work("f1.c")}),
              "SccCheckout: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Bob({"co", "-f", "src/f1.c", "-t", dir.Path("bob")}), -2008 & 0xff) << bobSaid;

    dir.WriteFile("work/src/f1.c", "version 2\n");
    EXPECT_EQ(Alice({"ci " + Work("f1.c") + " -m \"second version\""}),
              "SccCheckin: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Bob({"get", "-f", "src/f1.c", "-t", dir.Path("bob")}), 0);
    EXPECT_EQ(dir.ReadFile("bob/f1.c"), "version 2\n");

    // bob holds f2 now: alice's get still works, her removal is refused as locked.
    EXPECT_EQ(Bob({"co", "-f", "src/f2.c", "-t", dir.Path("bob")}), 0) << bobSaid;
    dir.WriteFile("work/src/f2.c", "local edit\n");
    EXPECT_EQ(Alice({"get " + Work("f2.c")}), "SccGet: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(dir.ReadFile("work/src/f2.c"), "version 1 of f2.c\n");
    const std::string locked = Alice({"rm " + Work("f2.c")});
    EXPECT_NE(locked.find("SccRemove: SCC_E_FILEISLOCKED (-6)"), std::string::npos) << locked;
    EXPECT_NE(locked.find("message: "), std::string::npos) << locked;

    EXPECT_EQ(Alice({"co " + Work("f3.c")}),
              "SccCheckout: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Alice({"unco " + Work("f3.c")}),
              "SccUncheckout: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Bob({"co", "-f", "src/f3.c", "-t", dir.Path("bob")}), 0) << bobSaid;

    EXPECT_EQ(Alice({"rm " + Work("f4.c")}),
              "SccRemove: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    EXPECT_NE(Bob({"get", "-f", "src/f4.c", "-t", dir.Path("bob")}), 0) << bobSaid;

    // A file literally named f?.c is refused, never taken as a pattern for f1.c to f5.c.
    dir.WriteFile("work/src/f?.c", "x");
    const std::string wildcard = Alice({"rm " + Work("f?.c"), "unco " + Work("f?.c")});
    EXPECT_NE(wildcard.find("SccRemove: SCC_E_CONNECTIONFAILURE (-29)"), std::string::npos)
        << wildcard;
    EXPECT_NE(wildcard.find("SccUncheckout: SCC_E_CONNECTIONFAILURE (-29)"), std::string::npos)
        << wildcard;
    EXPECT_EQ(Bob({"get", "-f", "src/f5.c", "-t", dir.Path("bob")}), 0) << bobSaid;
    EXPECT_EQ(Bob({"get", "-f", "src/f1.c", "-t", dir.Path("bob")}), 0) << bobSaid;
}

TEST_F(HostRoundTrip, StatusHistoryPropertiesAndCompareShowTheServersState) {
    for (const char* name : {"f1.c", "f2.c", "f3.c"})
        dir.WriteFile("work/src/" + std::string(name), name);
    EXPECT_EQ(Alice({"add " + Work("f1.c") + " " + Work("f2.c") + " " + Work("f3.c")}),
              "SccAdd: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    ASSERT_EQ(Bob({"cfg", "-pr", "Ide"}), 0);
    // Checking out fetches the file, so it is edited after, as in an IDE.
    for (const std::string text : {"second", "third"}) {
        Alice({"co " + Work("f1.c")});
        dir.WriteFile("work/src/f1.c", text + "\n");
        EXPECT_EQ(Alice({"ci " + Work("f1.c") + " -m \"the " + text + "\""}),
                  "SccCheckin: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    }
    EXPECT_EQ(Bob({"co", "-f", "src/f3.c", "-t", dir.Path("bob")}), 0) << bobSaid;
    dir.WriteFile("work/src/f4.c", "never added");

    const std::string shown = Alice(
        {"co " + Work("f2.c"),
         "status " + Work("f1.c") + " " + Work("f2.c") + " " + Work("f3.c") + " " + Work("f4.c"),
         "statusex " + Work("f1.c"), "history " + Work("f1.c"), "props " + Work("f1.c"),
         "diff " + Work("f1.c") + " quick"});
    for (const std::string& line : std::vector<std::string>{
             "status: 0x0001 " + Work("f1.c"), "status: 0x1003 " + Work("f2.c"),
             "status: 0x0007 " + Work("f3.c"), "status: 0x0000 " + Work("f4.c"),
             "record: size 48, flags 1, version '3', " + Work("f1.c"),
             std::string("dialog: CHistoryDlg OK\n  row: 3 | "),
             std::string("SccHistory: SCC_OK (0)"),
             std::string("dialog: CSCCPropertiesDlg OK\n  1010: src\\f1.c\n  1011: 3\n"),
             std::string("SccDiff: SCC_OK (0)")}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }
    size_t rows = 0;
    for (size_t at = shown.find("  row: "); at != std::string::npos;
         at = shown.find("  row: ", at + 1)) {
        ++rows;
    }
    EXPECT_EQ(rows, 3u) << shown;

    dir.WriteFile("work/src/f1.c", "edited locally\n");
    EXPECT_EQ(Alice({"diff " + Work("f1.c") + " quick"}),
              "SccDiff: SCC_I_FILEDIFFERS (6)\nSccUninitialize: SCC_OK (0)\n");
}

// The scripted user gets version 1 from the history into the folder the picker offers, the
// file's own, then closes the history.
TEST_F(HostRoundTrip, HistoryGetsAnOlderVersionIntoTheFilesFolder) {
    dir.WriteFile("work/src/f1.c", "first\n");
    EXPECT_EQ(Alice({"add " + Work("f1.c")}), "SccAdd: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n");
    Alice({"co " + Work("f1.c")});
    dir.WriteFile("work/src/f1.c", "second\n");
    Alice({"ci " + Work("f1.c") + " -m \"the second\""});
    const std::string shown = Alice({"history " + Work("f1.c")}, {"--get-version", "1"});
    for (const char* line : {"dialog: CHistoryDlg Get 1\n  row: 2 | ",
                             "dialog: QFileDialog OK\ndialog: CHistoryDlg OK\n  row: 2 | ",
                             "SccHistory: SCC_OK (0)\nSccUninitialize: SCC_OK (0)\n"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }
    EXPECT_EQ(dir.ReadFile("work/src/f1.c"), "first\n");
}

// Cancel in the progress window of a long add: the add stops between files, so the server
// holds only some of them, each whole.
TEST_F(HostRoundTrip, CancelDuringALongAddKeepsTheFilesAlreadyAdded) {
    constexpr int kAsked = 200;
    std::string files;
    for (int i = 0; i < kAsked; ++i) {
        const std::string name = "m" + std::to_string(i) + ".c";
        dir.WriteFile("work/many/" + name, "bytes of " + name + "\n");
        files += " " + dir.Path("work/many/" + name);
    }
    EXPECT_EQ(Alice({"add" + files}, {"--cancel-progress", "add"}),
              "dialog: CProgressTracker Cancel\nSccAdd: SCC_I_OPERATIONCANCELED (2)\n"
              "SccUninitialize: SCC_OK (0)\n");
    EXPECT_EQ(Bob({"cfg", "-pr", "Ide"}), 0);
    std::filesystem::create_directories(dir.Path("bob"));
    Bob({"get", "-f", "many/*.*", "-t", dir.Path("bob")});
    int reached = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("bob"))) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(dir.ReadFile(entry.path().string()), "bytes of " + name + "\n");
        ++reached;
    }
    EXPECT_LT(reached, kAsked) << bobSaid;
}

// OK on the project list with nothing chosen opens a message box from inside the dialog's
// OK: the scripted user answers that too, until the dialog is cancelled.
TEST_F(HostRoundTrip, MessageBoxesOpenedByADialogsOkAreAnswered) {
    const RunResult run =
        testsupport::RunProgram({"timeout", "60", BinPath("brelmox-scchost"), "--answer", "ok",
                                 "init", "getprojpath " + dir.Path("work"), "uninit"},
                                Env("alice"));
    EXPECT_EQ(run.exitStatus, 0) << run.stderrText;
    std::string expected =
        "dialog: CLogin OK\n"
        "SccInitialize: SCC_OK (0), provider 'Brelmox', capabilities "
        "0x40009AFE\n";
    for (int i = 0; i < 3; ++i) {
        expected +=
            "dialog: CSelectProject OK\n"
            "message: Enter a new Project or select an existing one.\n";
    }
    expected += "dialog: CSelectProject Cancel\n";
    EXPECT_EQ(run.stdoutText.substr(0, expected.size()), expected) << run.stdoutText;
    EXPECT_NE(run.stdoutText.find("SccUninitialize: SCC_OK (0)\n"), std::string::npos)
        << run.stdoutText;
}

TEST_F(HostRoundTrip, CancelledLoginAndNoDisplayEndTheSessionCleanly) {
    RunResult run = testsupport::RunProgram(
        {BinPath("brelmox-scchost"), "--answer", "cancel", "init", "add /nowhere/a.c"},
        Env("alice"));
    EXPECT_EQ(run.exitStatus, 0) << run.stderrText;
    EXPECT_EQ(run.stdoutText,
              "dialog: CLogin Cancel\nSccInitialize: SCC_E_NOTAUTHORIZED (-26)\n"
              "SccAdd: SCC_E_NONSPECIFICERROR (-15)\n");

    // No display at all: the login counts as cancelled and nothing waits for a person.
    run = testsupport::RunProgram({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                                   "QT_QPA_PLATFORM", BinPath("brelmox-scchost"), "init"},
                                  {{"XDG_CONFIG_HOME", server_.ConfigHome("alice")}});
    EXPECT_EQ(run.stdoutText, "SccInitialize: SCC_E_NOTAUTHORIZED (-26)\n") << run.stderrText;
}

// Asked before anything is loaded, so neither needs a provider or a display.
TEST(HostProgram, AnswersHelpAndVersion) {
    RunResult help = testsupport::RunProgram({BinPath("brelmox-scchost"), "--help"},
                                             {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.stdoutText.rfind("usage: brelmox-scchost [--provider LIBRARY]", 0), 0u)
        << help.stdoutText;
    RunResult version = testsupport::RunProgram({BinPath("brelmox-scchost"), "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.stdoutText, "brelmox-scchost 1.1.6.0\n");
    // Nobody is scripted without --answer, so nobody could press Cancel.
    RunResult unscripted = testsupport::RunProgram(
        {BinPath("brelmox-scchost"), "--cancel-progress", "add", "version"});
    EXPECT_EQ(unscripted.exitStatus, 2);
    EXPECT_EQ(unscripted.stdoutText, "");
}

}  // namespace
