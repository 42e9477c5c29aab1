// status and history against a real brelmox-server: a file in every state seen by two users,
// and a file with three versions.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/tests/posix/parsed_lines.h"
#include "cli/tests/posix/round_trip_fixture.h"

namespace {

using nlohmann::json;

class QueryRoundTrip : public RoundTrip {
  protected:
    // A step whose output other tests check: it must only succeed.
    void Do(const std::string& user, const std::vector<std::string>& arguments) {
        const testsupport::RunResult run = RunAs(user, arguments);
        ASSERT_EQ(run.exitStatus, 0) << ::testing::PrintToString(arguments) << run.stdoutText;
    }

    // Checks out Src/NAME into work/, changes it and checks it in with the description.
    void NewVersion(const std::string& name, const std::string& description) {
        Do("alice", {"co", "-f", "Src/" + name, "-t", dir.Path("work")});
        const std::string path = dir.WriteFile("work/" + name, description);
        Do("alice", {"ci", "-f", path, "-t", "Src", "-d", description});
    }
};

TEST_F(QueryRoundTrip, StatusNamesEachStateForEachUser) {
    for (const char* name : {"in.txt", "mine.txt", "theirs.txt", "gone.txt"}) AddFile(name, name);
    Do("alice", {"co", "-f", "Src/mine.txt", "-t", dir.Path("work")});
    Do("bob", {"co", "-f", "Src/theirs.txt", "-t", dir.Path("bob")});
    Do("alice", {"rm", "-f", "Src/gone.txt"});
    dir.WriteFile("work/local.txt", "never added");

    const std::vector<std::string> status = {"status", "-f", dir.Path("work/*.txt"), "-t", "Src"};
    Expect("alice", status, 0,
           "not-controlled  1  Src\\gone.txt\n"
           "checked-in      1  Src\\in.txt\n"
           "not-controlled  -  Src\\local.txt\n"
           "checked-out     1  Src\\mine.txt\n"
           "locked          1  Src\\theirs.txt\n");
    Expect("bob", status, 0,
           "not-controlled  1  Src\\gone.txt\n"
           "checked-in      1  Src\\in.txt\n"
           "not-controlled  -  Src\\local.txt\n"
           "locked          1  Src\\mine.txt\n"
           "checked-out     1  Src\\theirs.txt\n");

    std::vector<std::string> asJson = status;
    asJson.push_back("-json");
    const testsupport::RunResult run = RunAs("bob", asJson);
    EXPECT_EQ(run.exitStatus, 0);
    std::vector<std::pair<std::string, int>> states;
    for (const json& line : ParsedLines(run.stdoutText)) {
        states.emplace_back(line["state"], line["status"]);
    }
    const std::vector<std::pair<std::string, int>> expected = {{"not-controlled", -2001},
                                                               {"checked-in", -2010},
                                                               {"not-controlled", -2009},
                                                               {"locked", -2008},
                                                               {"checked-out", -2026}};
    EXPECT_EQ(states, expected) << run.stdoutText;
}

// The paths travel joined by '|': a local "a|m.txt" asked as "Src\a" and "m.txt" gave
// every later file the state of the one before it (bob's m.txt not controlled, alice's own
// check-out locked). Such a name is neither asked about nor added.
TEST_F(QueryRoundTrip, BarInALocalNameShiftsNoOtherFilesState) {
    for (const char* name : {"m.txt", "mine.txt"}) AddFile(name, name);
    Do("alice", {"co", "-f", "Src/mine.txt", "-t", dir.Path("work")});
    Do("bob", {"co", "-f", "Src/m.txt", "-t", dir.Path("bob")});
    const std::string bar = dir.WriteFile("work/a|m.txt", "x");
    Expect("alice", {"add", "-f", bar, "-t", "Src"}, 23,
           "Cannot send '" + bar +
               "': a '|' in its name or repository folder cannot be stored, since the status "
               "query puts '|' between paths.\n");
    Expect("alice", {"status", "-f", dir.Path("work/*.txt"), "-t", "Src"}, 0,
           "unknown         -  Src\\a|m.txt\n"
           "locked          1  Src\\m.txt\n"
           "checked-out     1  Src\\mine.txt\n");
}

TEST_F(QueryRoundTrip, HistoryListsThreeVersionsNewestFirstWithTheFilesProperties) {
    const std::string path = dir.WriteFile("work/f.txt", "one");
    Do("alice", {"add", "-f", path, "-t", "Src", "-d", "first import"});
    NewVersion("f.txt", "second");
    NewVersion("f.txt", "third");
    Do("bob", {"co", "-f", "Src/f.txt", "-t", dir.Path("bob")});

    const testsupport::RunResult run = RunAs("alice", {"history", "-f", "Src\\f.txt", "-props"});
    EXPECT_EQ(run.exitStatus, 0);
    const std::string date = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d";
    EXPECT_TRUE(std::regex_match(
        run.stdoutText,
        std::regex("3  " + date + "  alice  Checked out by bob  third\n" +  //
                   "2  " + date + "  alice  Checked in  second\n" +         //
                   "1  " + date + "  alice  Checked in  first import\n" +   //
                   "File: Src\\\\f.txt\nVersion: 3\nStatus: Checked out by bob\nDate: " + date +
                   " UTC\nUser: alice\nDescription: third\nDate removed: \nRemoved by: \n")))
        << run.stdoutText;

    const testsupport::RunResult asJson = RunAs("bob", {"history", "-json", "-f", "Src/f.txt"});
    const std::vector<json> lines = ParsedLines(asJson.stdoutText);
    ASSERT_EQ(lines.size(), 3u) << asJson.stdoutText;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]["version"], std::to_string(3 - i));
        EXPECT_EQ(lines[i]["user"], "alice");
        EXPECT_TRUE(std::regex_match(lines[i]["date"].get<std::string>(), std::regex(date)));
    }
    EXPECT_EQ(lines[2]["description"], "first import");
}

}  // namespace
