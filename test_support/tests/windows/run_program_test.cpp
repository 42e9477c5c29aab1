// Starting programs on Windows: arguments that come back whole through the system's own
// splitting, and what a started program is given and gives back.
#include "platform/windows/windows_api.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows/utf16.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"
#include "test_support/windows/command_line.h"

namespace testsupport {
namespace {

std::vector<std::string> SplitBySystem(const std::wstring& line) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::string> split;
    for (int i = 0; i < count; ++i) split.push_back(platform::Utf8(words[i]));
    LocalFree(words);
    return split;
}

TEST(WindowsCommandLine, QuotesWhatTheSystemWouldSplitAndEscapesQuotes) {
    struct Case {
        std::vector<std::string> argv;
        std::wstring line;
    };
    const Case cases[] = {
        {{"C:/bin/brelmox", "get", "-f", "Src/a.c"}, LR"("C:\bin\brelmox" get -f Src/a.c)"},
        {{"p", "", "two words", "tab\there"}, L"\"p\" \"\" \"two words\" \"tab\there\""},
        {{"p", R"(say "hi")", R"(a\"b)", R"(C:\dir\)", R"(C:\my dir\)"},
         LR"("p" "say \"hi\"" "a\\\"b" C:\dir\ "C:\my dir\\")"},
        {{"p", "\xC3\xA9\xE6\x97\xA5", R"(\\server\share)"},
         L"\"p\" \u00E9\u65E5 \\\\server\\share"},
    };
    for (const Case& c : cases) {
        const std::wstring line = WindowsCommandLine(c.argv);
        EXPECT_EQ(line, c.line) << c.argv[1];
        std::vector<std::string> expected = c.argv;
        for (char& ch : expected[0]) ch = ch == '/' ? '\\' : ch;
        EXPECT_EQ(SplitBySystem(line), expected);
    }
}

TEST(RunProgramOnWindows, GivesTheWholeExitCodeTheOutputAndTheEnvironment) {
    TempDir dir;
    struct Case {
        std::string command;
        int exitStatus;
        std::string output;
    };
    const Case cases[] = {
        {"exit -2025", -2025, ""},
        {"exit 300", 300, ""},
        {"echo %BRELMOX_PROBE%", 0, "Probe value\r\n"},
        {"more", 0, "from the test\r\n"},
    };
    for (const Case& c : cases) {
        const RunResult run = RunProgram({"cmd.exe", "/c", c.command},
                                         {{"brelmox_probe", "Probe value"}}, "from the test\r\n");
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.command;
        EXPECT_EQ(run.stdoutText, c.output) << c.command;
    }
    EXPECT_EQ(RunProgram({"cmd.exe", "/c", "echo to error 1>&2"}).stderrText, "to error \r\n");
    const RunResult here = RunProgram({"cmd.exe", "/c", "cd"}, {}, "", dir.Path());
    EXPECT_EQ(here.stdoutText, platform::NativePath(dir.Path()) + "\r\n");
}

TEST(RunProgramOnWindows, AMissingProgramGives127AndTheReason) {
    const RunResult run = RunProgram({"Z:/no/such/program"});
    EXPECT_EQ(run.exitStatus, 127);
    EXPECT_EQ(run.stderrText, "cannot run 'Z:/no/such/program': No such file or directory\n");
}

}  // namespace
}  // namespace testsupport
