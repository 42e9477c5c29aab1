// brelmox status against a scripted server: the one query it sends and the line per file.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/tests/program_fixture.h"

namespace {

using testsupport::KeywordField;

class StatusCommand : public BrelmoxProgram {
  protected:
    // Accepts the start-up, then answers the query with these status and version pairs.
    void AnswerStates(const std::vector<std::pair<int, std::string>>& pairs) {
        Connect();
        server.Enqueue(testsupport::StatusReply(0));
        server.Enqueue(testsupport::StatusReply(0));
        std::string body = testsupport::StatusBody(0);
        for (const auto& [status, version] : pairs) {
            body += KeywordField("version_status:", std::to_string(status)) +
                    KeywordField("version:", version);
        }
        server.Enqueue(testsupport::Answer({testsupport::HttpResponse(body)}));
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

TEST_F(StatusCommand, FileTheAnswerLeftOutIsUnknown) {
    dir.WriteFile("a.c", "x");
    dir.WriteFile("b.c", "x");
    AnswerStates({{-2010, "3"}});
    const testsupport::RunResult run = Run({"status", "-f", dir.Path("*.c")});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stdoutText, "checked-in      3  a.c\nunknown         -  b.c\n");
}

TEST_F(StatusCommand, RefusedQueryShowsTheServersTextAndReturnsItsStatus) {
    dir.WriteFile("a.c", "x");
    Connect();
    server.Enqueue(testsupport::StatusReply(0));
    server.Enqueue(testsupport::StatusReply(0));
    server.Enqueue(testsupport::StatusReply(-2014, "Invalid user name or password."));
    const testsupport::RunResult run = Run({"status", "-f", "a.c"});
    EXPECT_EQ(run.exitStatus, -2014 & 0xff);
    EXPECT_EQ(run.stdoutText, "Invalid user name or password.\n");
}

TEST_F(StatusCommand, NoMatchingFileSendsNoQuery) {
    Connect();
    const testsupport::RunResult run = Run({"status", "-f", "nothing*.c", "-r"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stdoutText, "");
    EXPECT_EQ(server.RequestCount(), 2u);  // the start-up alone
}

}  // namespace
