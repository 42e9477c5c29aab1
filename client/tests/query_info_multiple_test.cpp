// The multi-file status query against a scripted server: the one "filepaths" field, the pairs
// however they arrive, and answers with too few, too many or no pairs at all.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "client/operations.h"
#include "client/tests/wire_fixture.h"

namespace brelmox {

bool operator==(const FileState& a, const FileState& b) {
    return a.status == b.status && a.version == b.version;
}
void PrintTo(const FileState& state, std::ostream* out) {
    *out << "{" << state.status << " '" << state.version << "'}";
}

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;
using States = std::vector<std::optional<FileState>>;
using Paths = std::vector<std::string>;

const Paths kThreePaths = {"a.c", "src\\b.c", "src\\c.h"};
constexpr std::nullopt_t kNone = std::nullopt;

class QueryInfoMultipleTest : public WireTest {
  protected:
    static std::string Pair(int status, const std::string& version) {
        return KeywordField("version_status:", std::to_string(status)) +
               KeywordField("version:", version);
    }
    static std::string PairsBody(const std::vector<FileState>& states) {
        std::string body = testsupport::StatusBody(0);
        for (const FileState& state : states) body += Pair(state.status, state.version);
        return body;
    }
    // Queries into a list that already holds a stale entry.
    States Query(int expectedResult, const Paths& paths = kThreePaths) {
        States states = {FileState{-1, "stale"}};
        EXPECT_EQ(QueryInfoMultiple(context, paths, &states), expectedResult);
        return states;
    }
};

TEST_F(QueryInfoMultipleTest, PathsTravelAsOneFieldJoinedByBars) {
    const std::pair<Paths, std::string> cases[] = {
        {kThreePaths, "a.c|src\\b.c|src\\c.h"},
        {{"src\\only.c"}, "src\\only.c"},
    };
    for (const auto& [paths, joined] : cases) {
        server.Enqueue(testsupport::StatusReply(0));
        Query(0, paths);
    }
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(0).target, "/query_info_multiple_from_cli_a.php");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(server.Request(i).body,
                  "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
                  "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\nsecret"
                  "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\n"
                  "Acme\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
                  "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"filepaths\"\r\n\r\n" +
                      cases[i].second + "\r\n--AaB03x--\r\n");
    }
}

// The answer names no path, so a path that would split at its '|' is never sent: each
// other path keeps the state of its own pair.
TEST_F(QueryInfoMultipleTest, PathHoldingABarIsNotSentAndShiftsNoOtherState) {
    const FileState mine = {-2026, "3"}, theirs = {-2008, "12"};
    server.Enqueue(Answer({HttpResponse(PairsBody({mine, theirs}))}));
    EXPECT_EQ(Query(0, {"a|b.c", "mine.c", "m.c"}), (States{kNone, mine, theirs}));
    ASSERT_EQ(server.RequestCount(), 1u);
    const std::string& body = server.Request(0).body;
    EXPECT_NE(body.find("name=\"filepaths\"\r\n\r\nmine.c|m.c\r\n--AaB03x--"), std::string::npos)
        << body;
    EXPECT_EQ(Query(0, {"x|y"}), States{kNone});
    EXPECT_EQ(server.RequestCount(), 1u) << "a query of no sendable path was sent";
}

TEST_F(QueryInfoMultipleTest, NoPathsSendsNothing) {
    EXPECT_EQ(Query(0, {}), States{});
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(QueryInfoMultipleTest, OneStatePerPairUpToThePathsAsked) {
    const FileState mine = {-2026, "3"}, theirs = {-2008, "12"}, removed = {-2001, ""};
    const std::pair<std::string, States> cases[] = {
        {PairsBody({mine, theirs, removed}), {mine, theirs, removed}},
        {PairsBody({mine, theirs}), {mine, theirs, kNone}},
        {PairsBody({mine, theirs, removed, mine}), {mine, theirs, removed}},
        // A pair without its version has an empty one.
        {testsupport::StatusBody(0) + KeywordField("version_status:", "-2010") + Pair(-2009, "1"),
         {FileState{-2010, ""}, kNone, kNone}},
        {"<html><body><h1>Service unavailable</h1></body></html>\n", {kNone, kNone, kNone}},
        {"", {kNone, kNone, kNone}},
    };
    for (const auto& [body, expected] : cases) {
        server.Enqueue(Answer({HttpResponse(body)}));
        EXPECT_EQ(Query(0), expected) << body;
    }
    EXPECT_EQ(log.messages, Paths{});
}

TEST_F(QueryInfoMultipleTest, AnswerSplitAtAnyByteGivesTheSameStates) {
    const std::vector<FileState> pairs = {{-2026, "3"}, {-2010, "1"}, {-2009, ""}};
    const std::string raw = HttpResponse(PairsBody(pairs));
    const size_t bodyStart = raw.find("\r\n\r\n") + 4;
    for (size_t split = bodyStart + 1; split < raw.size(); ++split) {
        server.Enqueue(
            Answer({raw.substr(0, split), raw.substr(split)}, std::chrono::milliseconds(2)));
        EXPECT_EQ(Query(0), (States{pairs[0], pairs[1], pairs[2]})) << "split at " << split;
    }
}

TEST_F(QueryInfoMultipleTest, RefusalShowsItsTextOnceAndLeavesTheStatesAlone) {
    server.Enqueue(testsupport::StatusReply(-2014, "Invalid user name or password."));
    EXPECT_EQ(Query(-2014), (States{kNone, kNone, kNone}));
    EXPECT_EQ(log.messages, Paths{"Invalid user name or password."});
}

TEST_F(QueryInfoMultipleTest, ReadFailureKeepsThePairsThatCameWhole) {
    const std::string raw = HttpResponse(PairsBody({{-2026, "3"}, {-2010, "17"}}));
    const std::pair<size_t, States> cases[] = {
        {raw.find("17") + 1, {FileState{-2026, "3"}, kNone, kNone}},  // inside the version
        {raw.find("-2010") + 2, {FileState{-2026, "3"}, kNone, kNone}},
        {raw.size() - 1, {FileState{-2026, "3"}, kNone, kNone}},  // only the last line feed
    };
    // The answer ends cleanly but short of its length: a reset could also drop bytes that
    // had arrived but were not read yet, and then no pair came whole.
    for (const auto& [cut, expected] : cases) {
        server.Enqueue(Answer({raw.substr(0, cut)}));
        testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(Query(-5), expected); });
        EXPECT_EQ(reported.messages, Paths{"Couldn't read status from internet\n"}) << cut;
    }
}

}  // namespace

}  // namespace brelmox
