// brelmox-reg as an installer runs it: the built program, its output and its exit status.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace {

const std::string kKey = "HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";
const std::string kFullKey = "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection";

std::string SetText(const std::string& name) {
    return "Value '" + name + "' set in " + kFullKey + ".\n";
}

class RegToolTest : public ::testing::Test {
  protected:
    testsupport::RunResult Run(std::vector<std::string> args,
                               std::map<std::string, std::string> env = {}) const {
        args.insert(args.begin(), testsupport::BinPath("brelmox-reg"));
        env.insert({"XDG_CONFIG_HOME", home_.Path()});
        return testsupport::RunProgram(args, env);
    }
    std::string StoreText() const { return home_.ReadFile("brelmox/user.reg"); }

    testsupport::TempDir home_;
};

// Each command line runs on the store the ones before it left; the export at the end shows
// what they all did.
TEST_F(RegToolTest, CommandsChangeTheStoreAsTheyReport) {
    const std::string in = home_.WriteFile("in.reg",
                                           "Windows Registry Editor Version 5.00\r\n\r\n"
                                           "[HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\\Sub]"
                                           "\r\n\"N\"=dword:00000010\r\n");
    const std::string out = home_.Path("out.reg");
    const struct {
        std::vector<std::string> args;
        std::string out;
    } steps[] = {
        {{"add", kKey, "/v", "URL", "/d", "h:80"}, SetText("URL")},
        {{"ADD", kKey, "/V", "Pw", "/d", "a\"b\\c", "/f"}, SetText("Pw")},
        {{"add", kKey, "/v", "Secure", "/T", "reg_binary", "/D", "0aFF"}, SetText("Secure")},
        {{"add", kKey, "/v", "Empty", "/t", "REG_BINARY", "/d", ""}, SetText("Empty")},
        {{"add", kKey, "/v", "Max", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"}, SetText("Max")},
        {{"add", kKey, "/ve", "/t", "REG_DWORD", "/d", "42"}, SetText("(Default)")},
        {{"query", kKey},
         kFullKey + "\n    (Default)    REG_DWORD    0x2a\n    Empty    REG_BINARY    \n"
                    "    Max    REG_DWORD    0xffffffff\n    Pw    REG_SZ    a\"b\\c\n"
                    "    Secure    REG_BINARY    0AFF\n    URL    REG_SZ    h:80\n"},
        {{"delete", kKey, "/v", "max", "/F"}, "Value 'max' deleted from " + kFullKey + ".\n"},
        {{"add", kKey + "\\O"}, "Key " + kFullKey + "\\O is in place.\n"},
        {{"add", kKey + "\\O\\Sub"}, "Key " + kFullKey + "\\O\\Sub is in place.\n"},
        {{"add", kKey + "\\OB"}, "Key " + kFullKey + "\\OB is in place.\n"},
        {{"delete", kKey + "\\o", "/f"}, "Key " + kFullKey + "\\o deleted.\n"},
        // Making a subkey makes its parents, which then can be queried like any key.
        {{"add", kKey + "\\P\\Q"}, "Key " + kFullKey + "\\P\\Q is in place.\n"},
        {{"query", kKey + "\\P"}, kFullKey + "\\P\n"},
        {{"delete", kKey + "\\P", "/f"}, "Key " + kFullKey + "\\P deleted.\n"},
        {{"import", in}, "Imported '" + in + "'.\n"},
        {{"export", kKey, out}, "Exported " + kFullKey + " to '" + out + "'.\n"},
    };
    for (const auto& step : steps) {
        testsupport::RunResult result = Run(step.args);
        EXPECT_EQ(result.exitStatus, 0) << step.args[0] << ": " << result.stderrText;
        EXPECT_EQ(result.stdoutText, step.out);
    }
    EXPECT_EQ(home_.ReadFile(out),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n"
              "\"URL\"=\"h:80\"\n\"Pw\"=\"a\\\"b\\\\c\"\n\"Secure\"=hex:0a,ff\n\"Empty\"=hex:\n"
              "@=dword:0000002a\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\\OB]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\\Sub]\n"
              "\"N\"=dword:00000010\n\n");
    EXPECT_EQ(std::filesystem::status(out).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "an export may hold the password";
}

TEST_F(RegToolTest, BadCommandLinesFailAndLeaveTheStoreAlone) {
    Run({"add", kKey, "/v", "URL", "/d", "h"});
    const std::string before = StoreText();
    auto file = [this](const char* name, const char* text) { return home_.WriteFile(name, text); };
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "Usage:"},
        {{"copy", kKey}, "brelmox-reg: unknown command 'copy'"},
        {{"add", kKey, "/v", "N"}, "brelmox-reg: add needs /d DATA"},
        {{"add", kKey, "/v"}, "brelmox-reg: '/v' needs a word after it"},
        {{"add", kKey, "/v", "N", "/t", "REG_BINARY", "/d", "1"}, "'1' is not binary data"},
        {{"add", kKey, "/v", "N", "/t", "REG_DWORD", "/d", "-1"}, "'-1' is not a 32-bit"},
        {{"add", kKey, "/v", "N", "/t", "REG_DWORD", "/d", "4294967296"}, "is not a 32-bit"},
        {{"add", kKey, "/v", "N", "/t", "REG_MULTI_SZ", "/d", "x"}, "unknown type 'REG_MULTI_SZ'"},
        {{"add", kKey, "/v", "N", "/d", "two\nlines"}, "a name or text cannot hold a line break"},
        {{"add", kKey, "/v", "N\r", "/d", "x"}, "a name or text cannot hold a line break"},
        {{"add", "HKLM\\SOFTWARE\\X", "/v", "N", "/d", "x"}, "is not a key of HKEY_CURRENT_USER"},
        // What an unquoted shell leaves of HKCU\SOFTWARE\Farrowdyne\Brelmox\Connection.
        {{"add", "HKCUSOFTWAREFarrowdyneBrelmoxConnection", "/v", "URL", "/d", "h"},
         "brelmox-reg: 'HKCUSOFTWAREFarrowdyneBrelmoxConnection' does not start with HKCU\\ or "
         "HKEY_CURRENT_USER\\: quote the key, e.g. "
         "\"HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\", so that the shell keeps its "
         "backslashes\n"},
        {{"query", "SOFTWARE\\Farrowdyne\\Brelmox\\Connection"}, "' does not start with HKCU"},
        {{"export", "HKCUSOFTWARE", home_.Path("x.reg")}, "'HKCUSOFTWARE' does not start with"},
        {{"add", kKey, "/v", "URL", "/d", "http://127.0.0.1:8080"},
         "brelmox-reg: 'http://127.0.0.1:8080' holds a scheme: store the host name (and :PORT) "
         "alone, e.g. /d 127.0.0.1:8080, and choose HTTPS with the value \"Secure\" (/v Secure "
         "/t REG_BINARY /d 01)\n"},
        {{"add", kKey, "/v", "url", "/d", "HTTPS://h"}, "'HTTPS://h' holds a scheme"},
        {{"add", kKey, "extra", "/v", "N", "/d", "x"}, "wrong number of arguments for 'add'"},
        {{"query", "HKCU\\SOFTWARE\\Missing"},
         "key HKEY_CURRENT_USER\\SOFTWARE\\Missing not found"},
        {{"query", kKey, "/v", "Nope"}, "value 'Nope' not found in " + kFullKey},
        {{"delete", kKey, "/v", "URL"}, "give /f to delete"},
        {{"import", home_.Path("none.reg")},
         "Cannot read '" + home_.Path("none.reg") + "': No such file or directory"},
        {{"import", file("1.reg", "[HKCU\\A]\n\"y\"=\"2\"\n\"z\"=\"3\n")},
         "1.reg, line 3: a value whose type or text cannot be read"},
        {{"import", file("2.reg", "\"y\"=\"2\"\n")}, "2.reg, line 1: a value before any key"},
        {{"import", file("3.reg", "\n[HKLM\\A]\n")}, "3.reg, line 2: not a key of"},
        {{"import", file("4.reg", "; nothing\n")}, "4.reg: no key to import"},
        // A file's URL gets the check of add, before any of the file's values is stored.
        {{"import", file("5.reg",
                         "[HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection]\n"
                         "\"Secure\"=hex:01\n\"url\"=\"https://h:443\"\n")},
         "brelmox-reg: 'https://h:443' in " + home_.Path("5.reg") +
             " holds a scheme: write the host name (and :PORT) alone, e.g. "
             "\"URL\"=\"127.0.0.1:8080\", and choose HTTPS with the value \"Secure\" "
             "(\"Secure\"=hex:01); nothing was imported\n"},
        {{"export", "HKCU\\SOFTWARE\\Missing", home_.Path("x.reg")}, "not found"},
        {{"export", kKey, home_.Path("no/x.reg")}, "Cannot write '" + home_.Path("no/x.reg")},
    };
    for (const auto& c : cases) {
        testsupport::RunResult result = Run(c.args);
        std::string shown = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(result.exitStatus, 1) << shown;
        EXPECT_EQ(result.stdoutText, "") << shown;
        EXPECT_NE(result.stderrText.find(c.message), std::string::npos) << result.stderrText;
    }
    EXPECT_EQ(StoreText(), before) << "a failed command changed the store";
}

// A key where nothing reads it is most often a misspelt one: stored, with a warning.
TEST_F(RegToolTest, KeyOutsideTheProductIsStoredWithAWarning) {
    const struct {
        std::string key;
        std::string warning;
    } cases[] = {
        {"HKCU\\SOFTWARE\\Farowdyne\\Brelmox\\Connection",
         "brelmox-reg: warning: HKEY_CURRENT_USER\\SOFTWARE\\Farowdyne\\Brelmox\\Connection is "
         "outside HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox, where Brelmox reads its "
         "settings; stored all the same\n"},
        {"HKCU\\SOFTWARE\\Farrowdyne\\BrelmoxOld",
         "brelmox-reg: warning: HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\BrelmoxOld is outside "
         "HKEY_CURRENT_USER\\SOFTWARE\\Farrowdyne\\Brelmox, where Brelmox reads its settings; "
         "stored all the same\n"},
        {"hkey_current_user\\software\\farrowdyne\\brelmox\\Config", ""},
        {"HKCU\\SOFTWARE\\Farrowdyne\\Brelmox", ""},
    };
    for (const auto& c : cases) {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"add", c.key, "/v", "N", "/d", "x"}, {"add", c.key}}) {
            testsupport::RunResult result = Run(args);
            EXPECT_EQ(result.exitStatus, 0) << c.key;
            EXPECT_EQ(result.stderrText, c.warning);
            EXPECT_NE(result.stdoutText, "") << c.key;
        }
        EXPECT_EQ(Run({"query", c.key, "/v", "N"}).exitStatus, 0) << c.key;
    }
    // An imported file's keys are warned about in the same words.
    const std::string misspelt =
        home_.WriteFile("misspelt.reg",
                        "[HKCU\\SOFTWARE\\Farrowdyne\\BrelmoxOld]\n\"M\"=\"x\"\n"
                        "[HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Config]\n");
    testsupport::RunResult imported = Run({"import", misspelt});
    EXPECT_EQ(imported.exitStatus, 0);
    EXPECT_EQ(imported.stderrText, cases[1].warning);
    EXPECT_EQ(Run({"query", cases[1].key, "/v", "M"}).exitStatus, 0);
}

TEST_F(RegToolTest, AnswersHelpAndVersion) {
    testsupport::RunResult help = Run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.stdoutText.rfind("Usage:\n  brelmox-reg add KEY", 0), 0u) << help.stdoutText;
    EXPECT_EQ(help.stderrText, "");
    testsupport::RunResult version = Run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.stdoutText, "brelmox-reg 1.1.6.0\n");
}

TEST_F(RegToolTest, AnEmptyConfigHomeMeansTheOneInHome) {
    testsupport::RunResult result =
        Run({"add", kKey}, {{"XDG_CONFIG_HOME", ""}, {"HOME", home_.Path()}});
    EXPECT_EQ(result.exitStatus, 0) << result.stderrText;
    EXPECT_TRUE(std::filesystem::exists(home_.Path(".config/brelmox/user.reg")));
}

}  // namespace
