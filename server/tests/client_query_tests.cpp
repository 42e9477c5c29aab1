// The client library's queries against the real server: history and properties of a file
// with several versions, and the state of files in every state as two users see them.
#include <memory>
#include <string>
#include <vector>

#include "client/operations.h"
#include "server_fixture.h"
#include "test_support/scoped_variable.h"

namespace servertest {
namespace {

using ClientQueryTest = ServerFixture;

TEST_F(ClientQueryTest, EachCheckInIsOneHistoryEntryDatedInTheClientsZone) {
    PostArchive("Src", "a.c", Archive("one"), false, "first");
    for (const char* description : {"second", "third"}) {
        Get("Src/a.c", false, true);
        PostArchive("Src", "a.c", Archive(description), true, description);
    }
    Get("Src/a.c", false, true, {}, "bob");
    // Version n at 2023-11-14 22:13:20 UTC plus n hours.
    RunSql("UPDATE versions SET created_at = 1700000000 + number * 3600");
    testsupport::ScopedVariable zone("TZ", "<+0530>-5:30");
    testsupport::NotifierLog log;
    std::unique_ptr<brelmox::COstrelContext> client = ClientAs("alice", &log);

    std::vector<brelmox::CFileVersion> versions;
    ASSERT_EQ(brelmox::GetHistory(*client, "Src\\a.c", "version", &versions), 0);
    ASSERT_EQ(versions.size(), 3u);
    const char* const dates[] = {"2023-11-15 04:43:20", "2023-11-15 05:43:20",
                                 "2023-11-15 06:43:20"};
    const char* const descriptions[] = {"first", "second", "third"};
    const char* const states[] = {"Checked in", "Checked in", "Checked out by bob"};
    for (size_t i = 0; i < versions.size(); ++i) {
        EXPECT_EQ(versions[i].m_strVersion, std::to_string(i + 1));
        EXPECT_EQ(versions[i].m_strDate, dates[i]);
        EXPECT_EQ(versions[i].m_strDescription, descriptions[i]);
        EXPECT_EQ(versions[i].m_strStatus, states[i]);
        EXPECT_EQ(versions[i].m_strUser, "alice");
    }

    brelmox::CFileVersion properties;
    ASSERT_EQ(brelmox::GetProperties(*client, "Src\\a.c", "label", &properties), 0);
    EXPECT_EQ(properties.m_strVersion, "3");
    EXPECT_EQ(properties.m_strDate, "2023-11-15 01:13:20 UTC");
    EXPECT_EQ(properties.m_strStatus, "Checked out by bob");
    EXPECT_EQ(properties.m_strRemover, "");

    EXPECT_EQ(brelmox::GetHistory(*client, "Src\\none.c", "version", &versions), -2009);
    EXPECT_EQ(versions.size(), 3u);
    EXPECT_EQ(log.messages.size(), 1u);
}

TEST_F(ClientQueryTest, StatusOfEachFileAsEachUserSeesIt) {
    for (const char* name : {"free.c", "mine.c", "theirs.c", "gone.c"}) Upload("Src", name, name);
    Get("Src/mine.c", false, true);
    Get("Src/theirs.c", false, true, {}, "bob");
    Ask("remove_files_from_cli.php", {{"recurse", "N"}, {"viewpath", "Src/gone.c"}});
    const std::vector<std::string> paths = {"Src\\free.c", "Src\\mine.c", "Src\\theirs.c",
                                            "Src\\gone.c", "Src\\none.c"};
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"alice", {-2010, -2026, -2008, -2001, -2009}},
        {"bob", {-2010, -2008, -2026, -2001, -2009}},
    };
    for (const auto& [user, expected] : cases) {
        testsupport::NotifierLog log;
        std::vector<std::optional<brelmox::FileState>> states;
        ASSERT_EQ(brelmox::QueryInfoMultiple(*ClientAs(user, &log), paths, &states), 0) << user;
        std::vector<int> statuses;
        for (const auto& state : states) statuses.push_back(state ? state->status : 0);
        EXPECT_EQ(statuses, expected) << user;
        EXPECT_EQ(states[0]->version, "1") << user;
        EXPECT_EQ(states[4]->version, "") << user;
    }
}

}  // namespace
}  // namespace servertest
