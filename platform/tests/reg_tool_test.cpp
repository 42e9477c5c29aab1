// brelmox-reg as an installer runs it: the built program, its output and its exit status.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

extern char** environ;

namespace {

const char kConnection[] = "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class RegToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* binDir = std::getenv("BRELMOX_BIN_DIR");
        ASSERT_NE(binDir, nullptr) << "BRELMOX_BIN_DIR names the folder of the built programs";
        program_ = std::string(binDir) + "/brelmox-reg";
        // The program gets this environment with a fresh configuration folder of its own.
        const std::string configHome = "XDG_CONFIG_HOME=";
        for (char** variable = environ; *variable; ++variable) {
            if (!std::string(*variable).starts_with(configHome)) environment_.push_back(*variable);
        }
        environment_.push_back(configHome + home_.Path());
    }

    // Starts the program with its output going to files named after the tag.
    pid_t Start(const std::vector<std::string>& args, const std::string& tag) const {
        std::vector<char*> argv{const_cast<char*>(program_.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        std::string out = home_.Path(tag + ".out"), err = home_.Path(tag + ".err");
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
        std::vector<char*> envp;
        for (const std::string& variable : environment_) {
            envp.push_back(const_cast<char*>(variable.c_str()));
        }
        envp.push_back(nullptr);
        pid_t pid = -1;
        int failed =
            posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return failed ? -1 : pid;
    }

    Outcome Finish(pid_t pid, const std::string& tag) const {
        Outcome outcome;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            outcome.status = WEXITSTATUS(status);
        }
        outcome.out = home_.ReadFile(tag + ".out");
        outcome.err = home_.ReadFile(tag + ".err");
        std::filesystem::remove(home_.Path(tag + ".out"));
        std::filesystem::remove(home_.Path(tag + ".err"));
        return outcome;
    }

    Outcome Run(const std::vector<std::string>& args) const {
        return Finish(Start(args, "run"), "run");
    }

    std::string StoreText() const { return home_.ReadFile("brelmox/user.reg"); }

    testsupport::TempDir home_;
    std::string program_;
    std::vector<std::string> environment_;
};

TEST_F(RegToolTest, AddWritesEachTypeInItsFileForm) {
    const struct {
        std::vector<std::string> switches;
        const char* line;
    } cases[] = {
        {{"/d", "127.0.0.1:8080"}, "\"N\"=\"127.0.0.1:8080\"\n"},
        {{"/t", "REG_SZ", "/d", "a\"b\\c"}, "\"N\"=\"a\\\"b\\\\c\"\n"},
        {{"/t", "REG_BINARY", "/d", "01"}, "\"N\"=hex:01\n"},
        {{"/T", "reg_binary", "/D", "0aFF"}, "\"N\"=hex:0a,ff\n"},
        {{"/t", "REG_BINARY", "/d", ""}, "\"N\"=hex:\n"},
        {{"/t", "REG_DWORD", "/d", "42"}, "\"N\"=dword:0000002a\n"},
        {{"/t", "REG_DWORD", "/d", "0xFFFFFFFF"}, "\"N\"=dword:ffffffff\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"ADD", kConnection, "/V", "N"};
        args.insert(args.end(), c.switches.begin(), c.switches.end());
        Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(
            outcome.out,
            "Value 'N' set in HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection.\n");
        std::string text = StoreText();
        EXPECT_EQ(text.substr(text.size() - std::string(c.line).size()), c.line);
    }
}

TEST_F(RegToolTest, QueryShowsWhatAddPutInPlace) {
    Run({"add", kConnection, "/v", "URL", "/d", "127.0.0.1:8080"});
    Run({"add", kConnection, "/v", "Virtual Directory", "/d", "scm", "/f"});
    Run({"add", kConnection, "/v", "Secure", "/t", "REG_BINARY", "/d", "01"});
    Run({"add", kConnection, "/ve", "/t", "REG_DWORD", "/d", "7"});
    Outcome all = Run({"query", kConnection});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out,
              "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\n"
              "    (Default)    REG_DWORD    0x7\n"
              "    Secure    REG_BINARY    01\n"
              "    URL    REG_SZ    127.0.0.1:8080\n"
              "    Virtual Directory    REG_SZ    scm\n");
    Outcome one =
        Run({"query", "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection", "/v", "url"});
    EXPECT_EQ(one.out,
              "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\n"
              "    URL    REG_SZ    127.0.0.1:8080\n");
}

TEST_F(RegToolTest, AddWithoutAValueCreatesAnEmptyKey) {
    Outcome added = Run({"add", "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Config"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out,
              "Key HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config is in place.\n");
    EXPECT_EQ(Run({"query", "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Config"}).out,
              "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Config\n");
}

TEST_F(RegToolTest, DeleteRemovesAValueThenTheKey) {
    Run({"add", kConnection, "/v", "URL", "/d", "h"});
    Run({"add", kConnection, "/v", "Secure", "/t", "REG_BINARY", "/d", "00"});
    Outcome value = Run({"delete", kConnection, "/v", "URL", "/F"});
    EXPECT_EQ(value.status, 0) << value.err;
    EXPECT_EQ(value.out,
              "Value 'URL' deleted from "
              "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection.\n");
    EXPECT_EQ(StoreText(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n"
              "\"Secure\"=hex:00\n");
    Outcome key = Run({"delete", kConnection, "/f"});
    EXPECT_EQ(key.status, 0) << key.err;
    EXPECT_EQ(StoreText(), "Windows Registry Editor Version 5.00\n\n");
}

TEST_F(RegToolTest, ImportThenExportCarriesTheKey) {
    std::string in = home_.WriteFile("in.reg",
                                     "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "; the site\r\n"
                                     "[HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\r\n"
                                     "\"URL\"=\"127.0.0.1:8080\"\r\n"
                                     "\"Secure\"=hex:01\r\n"
                                     "[HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\\Sub]\r\n"
                                     "\"N\"=dword:00000010\r\n");
    Outcome imported = Run({"import", in});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "Imported '" + in + "'.\n");

    std::string out = home_.Path("out.reg");
    Outcome exported = Run({"export", kConnection, out});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(home_.ReadFile(out),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n"
              "\"URL\"=\"127.0.0.1:8080\"\n"
              "\"Secure\"=hex:01\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\\Sub]\n"
              "\"N\"=dword:00000010\n\n");
    struct stat file {};
    ASSERT_EQ(stat(out.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u) << "an export may hold the password";
}

TEST_F(RegToolTest, BadRequestsFailWithAMessage) {
    Run({"add", kConnection, "/v", "URL", "/d", "h"});
    const std::string before = StoreText();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "Usage:"},
        {{"copy", kConnection}, "brelmox-reg: unknown command 'copy'"},
        {{"add", kConnection, "/v", "N"}, "brelmox-reg: add needs /d DATA"},
        {{"add", kConnection, "/d", "x"}, "brelmox-reg: add needs /v NAME"},
        {{"add", kConnection, "/v"}, "brelmox-reg: '/v' needs a word after it"},
        {{"add", kConnection, "/v", "N", "/v", "M", "/d", "x"}, "brelmox-reg: '/v' is given twice"},
        {{"add", kConnection, "/v", "N", "/t", "REG_BINARY", "/d", "1"}, "'1' is not binary data"},
        {{"add", kConnection, "/v", "N", "/t", "REG_BINARY", "/d", "zz"}, "'zz' is not binary"},
        {{"add", kConnection, "/v", "N", "/t", "REG_DWORD", "/d", "-1"}, "'-1' is not a 32-bit"},
        {{"add", kConnection, "/v", "N", "/t", "REG_DWORD", "/d", "4294967296"}, "is not a 32-bit"},
        {{"add", kConnection, "/v", "N", "/t", "REG_MULTI_SZ", "/d", "x"}, "unknown type"},
        {{"add", kConnection, "/v", "N", "/d", "two\nlines"}, "cannot hold a line break"},
        {{"add", "HKLM\\SOFTWARE\\X", "/v", "N", "/d", "x"}, "is not a key of HKEY_CURRENT_USER"},
        {{"add", kConnection, "extra", "/v", "N", "/d", "x"}, "wrong number of arguments"},
        {{"query", kConnection, "/d", "x"}, "brelmox-reg: '/d' does not go with 'query'"},
        {{"query", "HKCU\\SOFTWARE\\Missing"},
         "key HKEY_CURRENT_USER\\SOFTWARE\\Missing not found"},
        {{"query", kConnection, "/v", "Nope"}, "value 'Nope' not found in"},
        {{"delete", kConnection, "/v", "URL"}, "give /f to delete"},
        {{"delete", kConnection, "/v", "Nope", "/f"}, "value 'Nope' not found in"},
        {{"delete", "HKCU\\SOFTWARE\\Missing", "/f"}, "not found"},
        {{"import", home_.Path("none.reg")}, "Cannot read"},
        {{"export", "HKCU\\SOFTWARE\\Missing", home_.Path("x.reg")}, "not found"},
        {{"export", kConnection, home_.Path("no/folder/x.reg")}, "Cannot write"},
    };
    for (const auto& c : cases) {
        Outcome outcome = Run(c.args);
        std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(outcome.status, 1) << shown;
        EXPECT_EQ(outcome.out, "") << shown;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << shown << ": " << outcome.err;
    }
    EXPECT_EQ(StoreText(), before) << "a failed command changed the store";
}

TEST_F(RegToolTest, ConcurrentProgramsLoseNoValue) {
    const int kPrograms = 16;
    std::vector<pid_t> started;
    for (int i = 0; i < kPrograms; ++i) {
        std::string name = "V" + std::to_string(i);
        started.push_back(Start({"add", kConnection, "/v", name, "/d", name}, name));
    }
    for (int i = 0; i < kPrograms; ++i) {
        EXPECT_EQ(Finish(started[i], "V" + std::to_string(i)).status, 0);
    }
    std::string shown = Run({"query", kConnection}).out;
    for (int i = 0; i < kPrograms; ++i) {
        std::string name = "V" + std::to_string(i);
        EXPECT_NE(shown.find("    " + name + "    REG_SZ    " + name + "\n"), std::string::npos)
            << name << " lost:\n"
            << shown;
    }
}

}  // namespace
