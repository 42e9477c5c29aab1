// brelmox history against a scripted server: the requests it sends and the lines it prints.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/tests/program_fixture.h"

namespace {

using testsupport::KeywordField;

// Two versions as the server sends them, newest first.
const std::string kVersions =
    KeywordField("version:", "2") + KeywordField("version_status:", "Checked out by bob") +
    KeywordField("date:", "2026-12-07 10:15:02") + KeywordField("user:", "alice") +
    KeywordField("description:", "fix the build") + KeywordField("version:", "1") +
    KeywordField("version_status:", "Checked in") + KeywordField("date:", "2026-12-01 08:00:00") +
    KeywordField("user:", "bob") + KeywordField("description:", "");

const std::string kProperties =
    KeywordField("version:", "2") + KeywordField("version_status:", "Checked out by bob") +
    KeywordField("date:", "2026-12-07 10:15:02") + KeywordField("user:", "alice") +
    KeywordField("description:", "fix the build") + KeywordField("date_removed:", "") +
    KeywordField("remover:", "");

class HistoryCommand : public BrelmoxProgram {
  protected:
    // Accepts the start-up, then answers with these bodies in turn.
    void Answers(const std::vector<std::string>& bodies) {
        Connect();
        server.Enqueue(testsupport::StatusReply(0));
        server.Enqueue(testsupport::StatusReply(0));
        for (const std::string& body : bodies) {
            server.Enqueue(testsupport::Answer({testsupport::HttpResponse(body)}));
        }
    }
    static std::string Body(const std::string& fields) {
        return "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
               "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\npw"
               "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
               "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
               "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"filepath\"\r\n\r\n"
               "Src\\main.c\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"type\"\r\n\r\n"
               "version" +
               fields + "\r\n--AaB03x--\r\n";
    }
};

TEST_F(HistoryCommand, SendsTheLocalTimeZoneAndPrintsOneLinePerVersion) {
    const std::pair<const char*, const char*> zones[] = {{"EST5", "300"}, {"<+0530>-5:30", "-330"}};
    for (const auto& [zone, minutes] : zones) {
        Answers({testsupport::StatusBody(0) + kVersions});
        const testsupport::RunResult run = Run({"History", "-F", "/Src\\main.c\\"}, {{"TZ", zone}});
        EXPECT_EQ(run.exitStatus, 0) << run.stdoutText;
        EXPECT_EQ(run.stdoutText,
                  "2  2026-12-07 10:15:02  alice  Checked out by bob  fix the build\n"
                  "1  2026-12-01 08:00:00  bob  Checked in  \n");
        const std::string body = server.Request(server.RequestCount() - 1).body;
        EXPECT_EQ(body, Body(std::string("\r\n--AaB03x\r\nContent-Disposition: form-data; "
                                         "name=\"timezone\"\r\n\r\n") +
                             minutes))
            << zone;
    }
    EXPECT_EQ(server.Request(2).target, "/get_history_from_cli.php");
}

TEST_F(HistoryCommand, PropsAddsTheFilesPropertiesAfterItsVersions) {
    Answers({testsupport::StatusBody(0) + kVersions, testsupport::StatusBody(0) + kProperties});
    const testsupport::RunResult run = Run({"history", "-props", "-f", "Src\\main.c"});
    EXPECT_EQ(run.exitStatus, 0) << run.stdoutText;
    EXPECT_EQ(run.stdoutText,
              "2  2026-12-07 10:15:02  alice  Checked out by bob  fix the build\n"
              "1  2026-12-01 08:00:00  bob  Checked in  \n"
              "File: Src\\main.c\n"
              "Version: 2\n"
              "Status: Checked out by bob\n"
              "Date: 2026-12-07 10:15:02\n"
              "User: alice\n"
              "Description: fix the build\n"
              "Date removed: \n"
              "Removed by: \n");
    ASSERT_EQ(server.RequestCount(), 4u);
    EXPECT_EQ(server.Request(3).target, "/get_properties_from_cli.php");
    EXPECT_EQ(server.Request(3).body, Body(""));
}

TEST_F(HistoryCommand, EitherRefusalShowsOnlyTheServersText) {
    const std::vector<std::string> cases[] = {
        {testsupport::StatusBody(-2009, "File 'Src\\main.c' is not in the repository.")},
        {testsupport::StatusBody(0) + kVersions,
         testsupport::StatusBody(-2009, "File 'Src\\main.c' is not in the repository.")},
    };
    for (const std::vector<std::string>& answers : cases) {
        Answers(answers);
        const testsupport::RunResult run = Run({"history", "-f", "Src\\main.c", "-PROPS"});
        EXPECT_EQ(run.exitStatus, -2009 & 0xff);
        EXPECT_EQ(run.stdoutText, "File 'Src\\main.c' is not in the repository.\n");
    }
}

}  // namespace
