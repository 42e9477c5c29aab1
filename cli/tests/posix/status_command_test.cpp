// brelmox status against a scripted server: the one query it sends and the line per file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cli/tests/posix/parsed_lines.h"
#include "cli/tests/program_fixture.h"

namespace {

using testsupport::KeywordField;

class StatusCommand : public BrelmoxProgram {
  protected:
    // Accepts the start-up, then answers the query with these status and version pairs.
    void AnswerStates(const std::vector<std::pair<int, std::string>>& pairs) {
        std::string body = testsupport::StatusBody(0);
        for (const auto& [status, version] : pairs) {
            body += KeywordField("version_status:", std::to_string(status)) +
                    KeywordField("version:", version);
        }
        AnswerAfterStartUp({body});
    }
};

TEST_F(StatusCommand, AsksForEveryFileOfTheWalkInOneFieldAndNamesEachState) {
    for (const char* file : {"work/a1.c", "work/a2.c", "work/a3.c", "work/a4.c", "work/a5.c",
                             "work/sub/b1.c", "work/sub/b2.c", "work/notes.txt"}) {
        dir.WriteFile(file, "x");
    }
    AnswerStates({{-2010, "3"},
                  {-2026, "12"},
                  {-2008, "1"},
                  {-2001, ""},
                  {-2009, ""},
                  {-2017, ""},
                  {-2099, "4"}});
    const testsupport::RunResult run = Run({"STATUS", "-f", "work/*.c", "-T", "Src", "-r", "-p"});
    EXPECT_EQ(run.exitStatus, 0) << run.stdoutText;
    EXPECT_EQ(run.stdoutText,
              "checked-in      3  Src\\a1.c\n"
              "checked-out     12  Src\\a2.c\n"
              "locked          1  Src\\a3.c\n"
              "not-controlled  -  Src\\a4.c\n"
              "not-controlled  -  Src\\a5.c\n"
              "not-controlled  -  Src\\sub\\b1.c\n"
              "unknown         4  Src\\sub\\b2.c\n");
    EXPECT_EQ(CommandBody(),
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\npw"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\n"
              "Acme\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"filepaths\"\r\n\r\n"
              "Src\\a1.c|Src\\a2.c|Src\\a3.c|Src\\a4.c|Src\\a5.c|Src\\sub\\b1.c|Src\\sub\\b2.c"
              "\r\n--AaB03x--\r\n");
}

TEST_F(StatusCommand, TenThousandFilesGoInOneRequest) {
    constexpr size_t kFiles = 10000;
    std::vector<std::pair<int, std::string>> pairs;
    for (size_t i = 0; i < kFiles; ++i) {
        dir.WriteFile("many/" + std::to_string(100000 + i) + ".c", "");
        pairs.emplace_back(-2010, std::to_string(i));
    }
    AnswerStates(pairs);
    const testsupport::RunResult run = Run({"status", "-f", "many/*", "-t", "M"});
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(server.RequestCount(), 3u);
    const std::string body = server.Request(2).body;
    EXPECT_EQ(std::count(body.begin(), body.end(), '|'), static_cast<long>(kFiles - 1));
    EXPECT_NE(body.find("\r\n\r\nM\\100000.c|M\\100001.c|"), std::string::npos);
    EXPECT_EQ(std::count(run.stdoutText.begin(), run.stdoutText.end(), '\n'),
              static_cast<long>(kFiles));
    EXPECT_TRUE(run.stdoutText.ends_with("checked-in      9999  M\\109999.c\n"));
}

TEST_F(StatusCommand, RefusedQueryShowsTheServersTextAndReturnsItsStatus) {
    dir.WriteFile("a.c", "x");
    AnswerAfterStartUp({testsupport::StatusBody(-2014, "Invalid user name or password.")});
    const testsupport::RunResult run = Run({"status", "-f", "a.c"});
    EXPECT_EQ(run.exitStatus, -2014 & 0xff);
    EXPECT_EQ(run.stdoutText, "Invalid user name or password.\n");
}

}  // namespace

namespace {

using nlohmann::json;

TEST_F(StatusCommand, JsonGivesOneObjectPerFileWithTheServersStatus) {
    const std::string a = dir.WriteFile("src/a \"quoted\".c", "x");
    const std::string b = dir.WriteFile("src/b\\\x01\xff.c", "x");
    const std::string c = dir.WriteFile("src/c.c", "x");
    AnswerStates({{-2026, "7"}, {-2001, ""}});
    const testsupport::RunResult run = Run({"status", "-JSON", "-f", "src/*.c", "-t", "Src"});
    EXPECT_EQ(run.exitStatus, 0);
    const std::vector<json> expected = {
        {{"file", a},
         {"viewpath", "Src\\a \"quoted\".c"},
         {"state", "checked-out"},
         {"version", "7"},
         {"status", -2026}},
        {{"file", dir.Path("src/b\\\x01\xef\xbf\xbd.c")},
         {"viewpath", "Src\\b\\\x01\xef\xbf\xbd.c"},
         {"state", "not-controlled"},
         {"version", ""},
         {"status", -2001}},
        {{"file", c},
         {"viewpath", "Src\\c.c"},
         {"state", "unknown"},
         {"version", ""},
         {"status", nullptr}},
    };
    EXPECT_EQ(ParsedLines(run.stdoutText), expected) << run.stdoutText;
}

TEST_F(StatusCommand, JsonAsTheValueOfASwitchIsAFileName) {
    dir.WriteFile("-json", "x");
    AnswerStates({{-2010, "1"}});
    const testsupport::RunResult run = Run({"status", "-f", "-json"});
    EXPECT_EQ(run.stdoutText, "checked-in      1  -json\n");
}

}  // namespace
