// The brelmox program as a user runs it: words, switches, output and exit statuses.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli/tests/program_fixture.h"
#include "client/context.h"
#include "client/messages.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/registry_file.h"
#include "test_support/background_program.h"

namespace {

using testsupport::KeywordField;

const char* const kUsage =
    "Brelmox Version 1.1.6.0\n"
    "Command Line Interface syntax:\n\n"
    "Brelmox cfg -u username -pw password -o organization -pr project\n\n"
    "Brelmox add -f from -t to [-r [-p]] [-d description]\n"
    "\tfrom:\tfile(s) in the file system to add to the Repository\n"
    "\tto:\tviewpath in the Repository\n"
    "\tr:\tadd files from subdirectories in the file system (recurse)\n"
    "\tp:\tpreserve structure in Repository from file system\n\n"
    "Brelmox get -f from -t to [-r [-p]] [-d description] [-l label |[-v version]\n"
    "\tfrom:\tfile(s) to get from the Repository\n"
    "\tto:\tdirectory in the file system\n"
    "\tr:\tget files from sub folders of the Repository (recurse)\n"
    "\tp:\tpreserve structure in the file system from the Repository\n"
    "\tversion:\tget files with matching version\n"
    "\tlabel:\tget files with matching label\n\n"
    "Brelmox ci -f from -t to [-r [-p]] [-d description]\n"
    "\tfrom:\tfile(s) in the file system to check in to the Repository\n"
    "\tto:\tviewpath in the Repository\n"
    "\tr:\tcheck in files from subdirectories in the file system (recurse)\n"
    "\tp:\tpreserve structure in Repository from file system\n\n"
    "Brelmox co -f from -t to [-r [-p]] [-d description] [-l label |[-v version]\n"
    "\tfrom:\tfile(s) to check out from the Repository\n"
    "\tto:\tdirectory in the file system\n"
    "\tr:\tcheck out files from sub folders of the Repository (recurse)\n"
    "\tp:\tpreserve structure in the file system from the Repository\n"
    "\tversion:\tcheck out files with matching version\n"
    "\tlabel:\tcheck out files with matching label\n\n"
    "Brelmox lbl -l label [-d description]\n"
    "\tlabel:\tlabel to apply to project\n\n"
    "Brelmox unco -f files [-r]\n"
    "\tfrom:\tfile(s) to uncheck out (release) from the Repository\n"
    "\tr:\tuncheck out files from sub folders of the Repository (recurse)\n\n"
    "Brelmox rm -f files [-r]\n"
    "\tfrom:\tfile(s) to remove from the Repository\n"
    "\tr:\tuncheck out files from sub folders of the Repository (recurse)\n\n"
    "Brelmox cp -n name [-d description]\n"
    "\tname:\tname of Project to create\n";

TEST_F(BrelmoxProgram, PrintsTheUsageTextForAnythingButACommand) {
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{}, {"help"}, {"-f"}, {"adds"}, {""}}) {
        testsupport::RunResult run = Run(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.stdoutText, testsupport::NativeLines(kUsage));
        EXPECT_EQ(run.stderrText, "");
    }
}

TEST_F(BrelmoxProgram, CfgStoresEachValueAsTypedAndSaysNothing) {
    struct Case {
        std::vector<std::string> arguments;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {{"Cfg", "-U", "bob"}, "Username", "bob"},
        {{"cfg", "-PR", "Web", "-u", "Alice"}, "Project", "Web"},
        {{"cfg", "-u", "alice", "-u", "carol"}, "Username", "carol"},
        {{"cfg", "-pw", "se\"cret\\1", "-o", "Acme"}, "Password", "se\"cret\\1"},
        {{"cfg", "-pw"}, "Password", "se\"cret\\1"},
        {{"cfg", "-u", "-pw"}, "Username", "-pw"},
        {{"cfg", "-f", "x", "-o", "Other"}, "Organization", "Other"},
    };
    for (const Case& c : cases) {
        testsupport::RunResult run = Run(c.arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.stdoutText + run.stderrText, "");
        EXPECT_EQ(Stored(c.value), c.expected) << c.arguments.back();
    }
    EXPECT_EQ(Stored("Project"), "Web");
}

TEST_F(BrelmoxProgram, UnreachableSiteEndsEveryNetworkedCommand) {
    brelmox::WriteRegString(brelmox::BuildKeyPath(brelmox::msg::kConnectionKey), "URL",
                            "127.0.0.1:1");
    for (const char* word :
         {"add", "ci", "get", "co", "unco", "lbl", "rm", "cp", "SYNC", "status", "history"}) {
        testsupport::RunResult run = Run({word, "-f", "x"});
        EXPECT_EQ(run.exitStatus, testsupport::ExitStatusFor(-2025)) << word;
        EXPECT_EQ(run.stdoutText, testsupport::NativeLines(
                                      "Couldn't connect to Brelmox site, 'http://127.0.0.1:1'\n"))
            << word;
    }
}

// Each setting the start-up needs is named with the way to set it, and nothing is asked of
// the server; cp needs no project.
TEST_F(BrelmoxProgram, MissingSettingIsNamedWithHowToSetItAndExitsWithMinusTwo) {
    AcceptEveryRequest();
    const std::string connection = brelmox::BuildKeyPath(brelmox::msg::kConnectionKey);
    const std::string config = brelmox::BuildKeyPath(brelmox::msg::kConfigKey);
    struct Case {
        std::string key;
        const char* name;
        std::string value;
        std::vector<std::string> arguments;
        std::string said;
    };
    const Case cases[] = {
        {"",
         "",
         "",
         {"get", "-f", "x"},
         "The setting \"URL\" is missing: set it with " + std::string(platform::StoreToolName()) +
             " add \"HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\" /v URL /d HOST[:PORT]\n"},
        {connection,
         "URL",
         "http://" + server.HostAndPort(),
         {"status", "-f", "x"},
         "The setting \"URL\" is 'http://" + server.HostAndPort() +
             "': store the host name (and :PORT) without http:// or https://; the setting "
             "\"Secure\" chooses HTTPS.\n"},
        {connection,
         "URL",
         server.HostAndPort(),
         {"add", "-f", "x"},
         "The setting \"Username\" is missing: set it with brelmox cfg -u USERNAME\n"},
        {config,
         "Username",
         "alice",
         {"cp", "-n", "P"},
         "The setting \"Organization\" is missing: set it with brelmox cfg -o ORGANIZATION\n"},
        {config,
         "Organization",
         "Acme",
         {"lbl", "-l", "L"},
         "The setting \"Project\" is missing: set it with brelmox cfg -pr PROJECT\n"},
    };
    for (const Case& c : cases) {
        if (!c.key.empty()) brelmox::WriteRegString(c.key, c.name, c.value);
        const testsupport::RunResult run = Run(c.arguments);
        EXPECT_EQ(run.exitStatus, testsupport::ExitStatusFor(-2)) << c.said;
        EXPECT_EQ(run.stdoutText, testsupport::NativeLines(c.said));
    }
    EXPECT_EQ(server.RequestCount(), 0u);

    const testsupport::RunResult cp = Run({"cp", "-n", "P"});
    EXPECT_EQ(cp.exitStatus, 0) << cp.stdoutText;
    EXPECT_EQ(server.RequestCount(), 2u);  // the user, then the project made
}

TEST_F(BrelmoxProgram, UnknownProjectStopsLblButNotCp) {
    Connect();
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse("")}));  // validate user
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse(
        KeywordField("protocol:", "1") + KeywordField("status:", "-2018") +
        KeywordField("error:", "unknown"))}));
    testsupport::RunResult lbl = Run({"lbl", "-l", "Release1"});
    EXPECT_EQ(lbl.exitStatus, testsupport::ExitStatusFor(-2018));
    EXPECT_EQ(lbl.stdoutText, testsupport::NativeLines("Unknown project with name 'Web'.\n"));

    testsupport::RunResult cp = Run({"cp", "-d", "-n", "Web"});
    EXPECT_EQ(cp.exitStatus, 0);
    EXPECT_EQ(cp.stdoutText, testsupport::NativeLines("Created Project ''.\n"));
    const std::string body = server.Request(3).body;
    EXPECT_NE(body.find(Field("project_name", "") + "\r\n" + "Content-Disposition: form-data; " +
                        Field("project_description", "-n")),
              std::string::npos);
}

TEST_F(BrelmoxProgram, GetNeedsAFileAfterTheStartUp) {
    Connect();
    for (std::vector<std::string> arguments : {std::vector<std::string>{"get", "-t", "/work"},
                                               {"co", "-f", "\\\\", "-t", "/w"},
                                               {"sync", "-t", "/w", "-pbw"},
                                               {"get", "-f"}}) {
        testsupport::RunResult run = Run(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.stdoutText,
                  testsupport::NativeLines(
                      "You must specify a file to \"get\" with the -f parameter.\n"));
    }
    EXPECT_EQ(server.RequestCount(), 8u);  // the start-up requests alone
}

TEST_F(BrelmoxProgram, AnInterruptedGetLeavesTheOldFileAndNothingElse) {
    Connect();
    const std::string old = dir.WriteFile("work/a.c", "the old file\n");
    std::filesystem::create_directory(dir.Path("tmp"));
    std::string noise(512 * 1024, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919) >> 3);
    const std::string answer = testsupport::HttpResponse(
        testsupport::FileRecord("a.c", "Src", dir.ArchiveOf(noise)) + testsupport::StatusBody(0));
    std::filesystem::remove(dir.Path("archive.zip"));
    std::filesystem::remove(dir.Path("archive-source"));
    const testsupport::ScriptedReply startup = testsupport::StatusReply(0);
    server.Enqueue(startup);
    server.Enqueue(startup);
    // Half the archive, then a pause the program is stopped in.
    server.Enqueue(
        testsupport::Answer({answer.substr(0, answer.size() / 2), answer.substr(answer.size() / 2)},
                            std::chrono::seconds(3)));
    testsupport::BackgroundProgram get(
        {testsupport::BinPath("brelmox"), "get", "-f", "Src/a.c", "-t", dir.Path("work")},
        {{"XDG_CONFIG_HOME", config()}, {"TMPDIR", dir.Path("tmp")}}, dir.Path("get.log"));
    for (int i = 0; i < 200 && server.RequestCount() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(get.Stop(), 128 + SIGTERM);
    EXPECT_EQ(dir.ReadFile(old), "the old file\n");
    for (const char* folder : {"tmp", "work"}) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path(folder))) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, folder == std::string("work") ? std::vector<std::string>{"a.c"}
                                                       : std::vector<std::string>{})
            << folder;
    }
}

TEST_F(BrelmoxProgram, SwitchesFollowTheCommonRules) {
    Connect();
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> expectedFields;
    };
    const Case cases[] = {
        {{"get", "-f", "/Src/main.c/", "-t", "out"}, {Field("viewpath", "Src/main.c")}},
        {{"get", "-f", "a", "-F", "b", "-t", "out"}, {Field("viewpath", "b")}},
        {{"co", "-f", "Src", "-t", "out", "-r", "-l", "Release1"},
         {Field("recurse", "Y"), Field("checkout", "Y"), Field("label", "Release1")}},
        {{"sync", "-f", "/Src/", "-t", "out", "-r", "-pbw", "-v", "3"},
         {Field("recurse", "N"), Field("viewpath", "Src"), Field("version_no", "3")}},
        {{"unco", "-f", "Src/*.c", "-r", "-t", "x"},
         {Field("recurse", "Y"), Field("viewpath", "Src/*.c")}},
        {{"rm", "-f", "Src/old.c"}, {Field("recurse", "N"), Field("viewpath", "Src/old.c")}},
        {{"lbl", "-d", "nightly", "-l", "Release1"},
         {Field("label", "Release1"), Field("description", "nightly")}},
    };
    size_t requests = 0;
    for (const Case& c : cases) {
        // Only the request matters here: the answer is a bare status, not a file record.
        Run(c.arguments);
        requests += 3;
        ASSERT_EQ(server.RequestCount(), requests) << c.arguments[0];
        const std::string body = server.Request(requests - 1).body;
        for (const std::string& field : c.expectedFields) {
            EXPECT_NE(body.find(field), std::string::npos) << c.arguments[0] << ": " << field;
        }
    }
}

// A shell expands a pattern before the program sees it: the words up to the next one that
// begins with '-' are files, each sent as one -f value is, and a later -f replaces them.
TEST_F(BrelmoxProgram, FileWordsRunUpToTheNextSwitch) {
    if (!platform::ShellExpandsPatterns()) GTEST_SKIP() << "the program expands patterns itself";
    Connect();
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> viewPaths;  // one request each, in order
    };
    const Case cases[] = {
        {{"co", "-f", "a", "b", "-F", "c", "d", "-t", "out"}, {"c", "d"}},
        {{"sync", "-f", "a", "b", "-x", "c"}, {"a", "b"}},
        {{"unco", "-f", "Src/a.c", "Src/b.c", "-r"}, {"Src/a.c", "Src/b.c"}},
        {{"rm", "-f", "-r", "x"}, {"-r", "x"}},
    };
    size_t requests = 0;
    for (const Case& c : cases) {
        Run(c.arguments);
        requests += 2 + c.viewPaths.size();
        ASSERT_EQ(server.RequestCount(), requests) << c.arguments[0];
        for (size_t i = 0; i < c.viewPaths.size(); ++i) {
            const std::string body = server.Request(requests - c.viewPaths.size() + i).body;
            EXPECT_NE(body.find(Field("viewpath", c.viewPaths[i])), std::string::npos)
                << c.arguments[0] << ": " << c.viewPaths[i];
        }
    }
    // A word that trims to nothing asks for a file and leaves the others to run.
    const testsupport::RunResult run = Run({"get", "-f", "/", "Src/a.c", "-t", "out"});
    EXPECT_EQ(
        run.stdoutText.rfind("You must specify a file to \"get\" with the -f parameter.\n", 0), 0u)
        << run.stdoutText;
    EXPECT_EQ(server.RequestCount(), requests + 3);
}

TEST_F(BrelmoxProgram, AddTakesTheNextWordAsValueWhateverItIs) {
    Connect();
    dir.WriteFile("-r", "a file named like a switch");
    dir.WriteFile("sub/x.c", "not to be sent");
    testsupport::RunResult run = Run({"add", "-x", "foo", "-f", "-r", "-t", "Docs"});
    EXPECT_EQ(run.exitStatus, 0) << run.stdoutText;
    ASSERT_EQ(server.RequestCount(), 3u);  // the one file, no recursion
    EXPECT_NE(
        server.Request(2).body.find("filename=\"" + platform::NativePath(dir.Path("-r")) + "\""),
        std::string::npos);

    // A value switch that is the last word has no value.
    run = Run({"add", "-t", "Docs", "-f"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(server.RequestCount(), 5u);
}

}  // namespace
