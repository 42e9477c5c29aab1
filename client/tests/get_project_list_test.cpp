// The project list against a scripted server: the request, the list however it arrives,
// refusals, broken answers and names too long to be names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/operations.h"
#include "client/tests/wire_fixture.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;
using Names = std::vector<std::string>;

class GetProjectListTest : public WireTest {
  protected:
    static std::string ListBody(const Names& names) {
        std::string body = testsupport::StatusBody(0);
        for (const std::string& name : names) body += KeywordField("project:", name);
        return body;
    }
    // Lists into a list that already holds "kept".
    Names List(int expectedResult) {
        Names projects = {"kept"};
        EXPECT_EQ(GetProjectList(context, &projects), expectedResult);
        return projects;
    }
};

TEST_F(GetProjectListTest, RequestNamesTheUserAndOrganizationOnly) {
    server.Enqueue(testsupport::StatusReply(0));
    List(0);
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Request(0).target, "/get_project_list_from_cli.php");
    EXPECT_EQ(server.Request(0).body,
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\nsecret"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
              "\r\n--AaB03x--\r\n");
}

TEST_F(GetProjectListTest, NamesAreAppendedInTheServersOrder) {
    const std::pair<std::string, Names> cases[] = {
        {testsupport::StatusBody(0), {"kept"}},
        {"", {"kept"}},
        {ListBody({"Web", "Api", "Mobile app"}), {"kept", "Web", "Api", "Mobile app"}},
        // The last line ends with the answer even without its line feed.
        {testsupport::StatusBody(0) + "--AaB03x\nproject:Web", {"kept", "Web"}},
        // The list ends at the first field that is not a project.
        {ListBody({"Web"}) + KeywordField("name:", "a.c") + KeywordField("project:", "Api"),
         {"kept", "Web"}},
    };
    for (const auto& [body, expected] : cases) {
        server.Enqueue(Answer({HttpResponse(body)}));
        EXPECT_EQ(List(0), expected) << body;
    }
    EXPECT_EQ(log.messages, Names{});
}

TEST_F(GetProjectListTest, AnswerSplitAtAnyByteGivesTheSameList) {
    const std::string raw = HttpResponse(ListBody({"Web", "Api", "Mobile"}));
    const size_t bodyStart = raw.find("\r\n\r\n") + 4;
    for (size_t split = bodyStart + 1; split < raw.size(); ++split) {
        server.Enqueue(
            Answer({raw.substr(0, split), raw.substr(split)}, std::chrono::milliseconds(2)));
        EXPECT_EQ(List(0), (Names{"kept", "Web", "Api", "Mobile"})) << "split at " << split;
    }
}

TEST_F(GetProjectListTest, RefusalShowsItsTextOnceAndLeavesTheListAlone) {
    server.Enqueue(testsupport::StatusReply(-2014, "Invalid user name or password."));
    EXPECT_EQ(List(-2014), Names{"kept"});
    EXPECT_EQ(log.messages, Names{"Invalid user name or password."});
}

TEST_F(GetProjectListTest, ReadFailureKeepsTheNamesThatCameWhole) {
    const std::string raw = HttpResponse(ListBody({"Web", "Api", "Mobile"}));
    // Ends cleanly but short: a reset could drop bytes that had arrived and were not read yet.
    server.Enqueue(Answer({raw.substr(0, raw.find("Mobile") + 3)}));
    EXPECT_EQ(List(-5), (Names{"kept", "Web", "Api"}));
    EXPECT_EQ(log.messages, Names{"Couldn't read status from internet\n"});
}

TEST_F(GetProjectListTest, NameOver64KiBIsAMalformedAnswer) {
    const std::string longest(64 * 1024, 'n');
    const std::pair<std::string, int> cases[] = {
        {longest, 0},
        {longest + "n", -1003},
        {std::string(3 << 20, 'n'), -1003},  // read no further than the limit
    };
    for (const auto& [name, result] : cases) {
        server.Enqueue(Answer({HttpResponse(ListBody({"Web", name, "Api"}))}));
        Names projects;
        testsupport::NotifierLog reported =
            Reported([&] { EXPECT_EQ(GetProjectList(context, &projects), result); });
        const bool accepted = result == 0;
        EXPECT_EQ(projects, (accepted ? Names{"Web", name, "Api"} : Names{"Web"})) << name.size();
        EXPECT_EQ(reported.messages,
                  accepted ? Names{} : Names{"The server's answer is not in the expected form."});
    }
}

}  // namespace

}  // namespace brelmox
