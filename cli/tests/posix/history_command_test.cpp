// brelmox history against a scripted server: the requests it sends and the lines it prints.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/tests/posix/parsed_lines.h"
#include "cli/tests/program_fixture.h"

namespace {

using testsupport::KeywordField;

// Two versions, oldest first, as the local server sends them.
const std::string kVersions =
    KeywordField("version:", "1") + KeywordField("version_status:", "Checked in") +
    KeywordField("date:", "2026-12-01 08:00:00") + KeywordField("user:", "bob") +
    KeywordField("description:", "") + KeywordField("version:", "2") +
    KeywordField("version_status:", "Checked out by bob") +
    KeywordField("date:", "2026-12-07 10:15:02") + KeywordField("user:", "alice") +
    KeywordField("description:", "fix the build");

const std::string kProperties =
    KeywordField("version:", "2") + KeywordField("version_status:", "Checked out by bob") +
    KeywordField("date:", "2026-12-07 10:15:02") + KeywordField("user:", "alice") +
    KeywordField("description:", "fix the build") + KeywordField("date_removed:", "") +
    KeywordField("remover:", "");

class HistoryCommand : public BrelmoxProgram {
  protected:
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

TEST_F(HistoryCommand, SendsTheLocalTimeZoneAndPrintsOneLinePerVersionNewestFirst) {
    const std::pair<const char*, const char*> zones[] = {{"EST5", "300"}, {"<+0530>-5:30", "-330"}};
    for (const auto& [zone, minutes] : zones) {
        AnswerAfterStartUp({testsupport::StatusBody(0) + kVersions});
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
    AnswerAfterStartUp(
        {testsupport::StatusBody(0) + kVersions, testsupport::StatusBody(0) + kProperties});
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

}  // namespace

namespace {

using nlohmann::json;

TEST_F(HistoryCommand, JsonCarriesAnyBytesTheServerSendsAsValidJson) {
    // Every text as the server may send it, and what a JSON reader must get back: invalid
    // UTF-8 becomes U+FFFD, everything else stays.
    const std::pair<std::string, std::string> texts[] = {
        {"say \"hi\"", "say \"hi\""},
        {"C:\\dir\\", "C:\\dir\\"},
        {"tab\there\r\x01\x1f\x7f end", "tab\there\r\x01\x1f\x7f end"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},
        {"bad \xff byte", "bad \xef\xbf\xbd byte"},
        {"cut \xc3", "cut \xef\xbf\xbd"},
    };
    for (const auto& [sent, read] : texts) {
        const std::string version = KeywordField("version:", sent) +
                                    KeywordField("version_status:", sent) +
                                    KeywordField("date:", sent) + KeywordField("user:", sent);
        AnswerAfterStartUp(
            {testsupport::StatusBody(0) + version + KeywordField("description:", sent),
             testsupport::StatusBody(0) + version + KeywordField("description:", sent) +
                 KeywordField("date_removed:", sent) + KeywordField("remover:", sent)});
        const testsupport::RunResult run = Run({"history", "-f", "Src\\main.c", "-json", "-props"});
        EXPECT_EQ(run.exitStatus, 0);
        const std::vector<json> expected = {
            {{"version", read},
             {"date", read},
             {"user", read},
             {"status", read},
             {"description", read}},
            {{"viewpath", "Src\\main.c"},
             {"version", read},
             {"status", read},
             {"date", read},
             {"user", read},
             {"description", read},
             {"dateremoved", read},
             {"remover", read}},
        };
        EXPECT_EQ(ParsedLines(run.stdoutText), expected) << run.stdoutText;
    }
}

// In JSON mode a failure, start-up included, is one object and nothing else.
TEST_F(HistoryCommand, JsonFailureIsOneObjectWithTheMessagesAndTheCode) {
    const auto reply = [](const std::string& body) {
        return testsupport::Answer({testsupport::HttpResponse(body)});
    };
    const std::string cutShort = testsupport::HttpResponse(testsupport::StatusBody(0) + kVersions);
    struct Case {
        std::vector<testsupport::ScriptedReply> replies;  // after the start-up
        json expected;
    };
    const Case cases[] = {
        {{reply(testsupport::StatusBody(-2009, "File 'a\\\"b\xff' is not in the repository."))},
         {{"error", "File 'a\\\"b\xef\xbf\xbd' is not in the repository."}, {"code", -2009}}},
        {{reply(testsupport::StatusBody(0) + kVersions),
          reply(testsupport::StatusBody(-2014, "Bad user."))},
         {{"error", "Bad user."}, {"code", -2014}}},
        // The transport's texts end in a line feed, which the object leaves out.
        {{testsupport::StopEarly({cutShort.substr(0, cutShort.size() - 5)})},
         {{"error", "Couldn't read status from internet"}, {"code", -5}}},
        {{testsupport::CloseWithoutAnswer()},
         {{"error", "Error getting history (HttpSendRequest): Empty reply from server\n."},
          {"code", -1002}}},
    };
    for (const Case& c : cases) {
        AnswerAfterStartUp({});
        for (const testsupport::ScriptedReply& r : c.replies) server.Enqueue(r);
        server.SetDefaultReply(testsupport::CloseWithoutAnswer());
        const testsupport::RunResult run = Run({"history", "-f", "Src\\main.c", "-json", "-props"});
        EXPECT_EQ(run.exitStatus, c.expected["code"].get<int>() & 0xff);
        EXPECT_EQ(ParsedLines(run.stdoutText), std::vector<json>{c.expected}) << run.stdoutText;
    }
}

TEST_F(HistoryCommand, JsonStartUpSpeaksJsonToo) {
    const std::pair<std::string, json> cases[] = {
        {"127.0.0.1:1",
         {{"error", "Couldn't connect to Brelmox site, 'http://127.0.0.1:1'"}, {"code", -2025}}},
        // No Config key: the setting the start-up misses first is named.
        {server.HostAndPort(),
         {{"error", "The setting \"Username\" is missing: set it with brelmox cfg -u USERNAME"},
          {"code", -2}}},
    };
    testsupport::RunResult run;
    for (const auto& [url, expected] : cases) {
        brelmox::WriteRegString(brelmox::BuildKeyPath(brelmox::msg::kConnectionKey), "URL", url);
        run = Run({"history", "-json", "-f", "x"});
        EXPECT_EQ(run.exitStatus, expected["code"].get<int>() & 0xff);
        EXPECT_EQ(ParsedLines(run.stdoutText), std::vector<json>{expected});
    }

    // A notice from the server is news only in text; the command still succeeds.
    Connect();
    server.Enqueue(testsupport::StatusReply(-2021, "Your trial ends in 3 days."));
    server.Enqueue(testsupport::StatusReply(0));
    server.Enqueue(
        testsupport::Answer({testsupport::HttpResponse(testsupport::StatusBody(0) + kVersions)}));
    run = Run({"history", "-json", "-f", "x"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(ParsedLines(run.stdoutText).size(), 2u) << run.stdoutText;
}

}  // namespace
