// History, properties, project list, multi-file status, projects and labels.
#include "server/admin.h"
#include "server/database.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class QueryTest : public ServerFixture {
  protected:
    Fields Query(const char* script, const Fields& more, const std::string& user = "alice") {
        return ParseFields(Post(script, FormBody(With(Who(user), more))));
    }
};

using Pairs = Fields;

TEST_F(QueryTest, HistoryListsVersionsOldestFirstInTheClientsZone) {
    Upload("Src", "a.c", "one");
    Get("Src/a.c", false, true);
    Upload("Src", "a.c", "two", true);
    Get("Src/a.c", false, true, {}, "bob");
    const Fields history =
        Query("get_history_from_cli.php",
              {{"filepath", "Src\\a.c"}, {"type", "version"}, {"timezone", "-60"}});
    ASSERT_EQ(history.size(), 2u + 2 * 5);
    EXPECT_EQ(history[2], (Pairs::value_type{"version", "1"}));
    EXPECT_EQ(history[3], (Pairs::value_type{"version_status", "Checked in"}));
    EXPECT_EQ(history[5], (Pairs::value_type{"user", "alice"}));
    EXPECT_EQ(history[6], (Pairs::value_type{"description", "upload of a.c"}));
    EXPECT_EQ(history[7], (Pairs::value_type{"version", "2"}));
    EXPECT_EQ(history[8], (Pairs::value_type{"version_status", "Checked out by bob"}));

    const std::string utc =
        Query("get_history_from_cli.php",
              {{"filepath", "Src/a.c"}, {"type", "version"}, {"timezone", "0"}})[4]
            .second;
    std::tm parts{};
    ASSERT_NE(strptime(utc.c_str(), "%Y-%m-%d %H:%M:%S", &parts), nullptr) << utc;
    parts.tm_hour += 1;  // one hour ahead of UTC
    char local[32];
    const std::time_t shifted = timegm(&parts);
    std::strftime(local, sizeof local, "%Y-%m-%d %H:%M:%S", gmtime(&shifted));
    EXPECT_EQ(history[4], (Pairs::value_type{"date", local}));
}

TEST_F(QueryTest, HistoryWithLabels) {
    Upload("", "a.c", "one");
    Post("create_label_cli.php", FormBody(With(Who(), {{"label", "R1"}, {"description", ""}})));
    Post("create_label_cli.php", FormBody(With(Who(), {{"label", "Beta"}, {"description", ""}})));
    const Fields history = Query("get_history_from_cli.php",
                                 {{"filepath", "a.c"}, {"type", "label"}, {"timezone", "0"}});
    EXPECT_EQ(history[3], (Pairs::value_type{"label", "Beta, R1"}));
}

TEST_F(QueryTest, QueriesOfAnUnknownFileAreRefused) {
    Upload("", "a.c", "x");
    for (const char* script : {"get_history_from_cli.php", "get_properties_from_cli.php"}) {
        const Fields answer =
            Query(script, {{"filepath", "Src/none.c"}, {"type", "version"}, {"timezone", "0"}});
        EXPECT_EQ(answer[1].second, "-2009") << script;
        EXPECT_EQ(answer[2].second, "File 'Src/none.c' is not in the repository.");
    }
    EXPECT_EQ(Query("get_history_from_cli.php",
                    {{"filepath", "a.c"}, {"type", "version"}, {"timezone", "east"}})[1]
                  .second,
              "-2106");
}

TEST_F(QueryTest, PropertiesOfARemovedFile) {
    Upload("Src", "a.c", "one");
    Post("remove_files_from_cli.php",
         FormBody(With(Who("bob"), {{"recurse", "N"}, {"viewpath", "Src/a.c"}})));
    const Fields properties =
        Query("get_properties_from_cli.php", {{"filepath", "Src/a.c"}, {"type", "version"}});
    std::vector<std::string> keys;
    for (const auto& [key, value] : properties) keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"protocol", "status", "version", "version_status", "date",
                                        "user", "description", "date_removed", "remover"}));
    EXPECT_EQ(properties[3].second, "Removed");
    EXPECT_TRUE(properties[7].second.ends_with(" UTC")) << properties[7].second;
    EXPECT_EQ(properties[8].second, "bob");
}

TEST_F(QueryTest, MultiFileStatusAnswersOnePairPerPathInOrder) {
    Upload("Src", "mine.c", "m");
    Upload("Src", "theirs.c", "t");
    Upload("Src", "free.c", "f");
    Upload("Src", "gone.c", "g");
    Get("Src/mine.c", false, true);
    Get("Src/theirs.c", false, true, {}, "bob");
    Post("remove_files_from_cli.php",
         FormBody(With(Who(), {{"recurse", "N"}, {"viewpath", "Src/gone.c"}})));
    const Fields answer = Query("query_info_multiple_from_cli_a.php",
                                {{"filepaths",
                                  "Src\\mine.c|Src\\theirs.c|Src\\free.c|Src\\none.c|"
                                  "Src\\gone.c|..\\x|Src\\free.c"}});
    const Fields expected = {{"protocol", "1"},           {"status", "0"},
                             {"version_status", "-2026"}, {"version", "1"},
                             {"version_status", "-2008"}, {"version", "1"},
                             {"version_status", "-2010"}, {"version", "1"},
                             {"version_status", "-2009"}, {"version", ""},
                             {"version_status", "-2001"}, {"version", "1"},
                             {"version_status", "-2009"}, {"version", ""},
                             {"version_status", "-2010"}, {"version", "1"}};
    EXPECT_EQ(answer, expected);
}

TEST_F(QueryTest, ProjectsAreCreatedOnceAndListedByName) {
    const Fields create = {{"username", "alice"},
                           {"password", "secret"},
                           {"organization", "acme"},
                           {"project_name", "api"},
                           {"project_description", "The API"}};
    EXPECT_EQ(Post("create_project_from_cli.php", FormBody(create)),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n");
    EXPECT_EQ(Post("create_project_from_cli.php", FormBody(create)),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2107\n--AaB03x\nerror:Project 'api' already "
              "exists.\n");
    {
        server::Database db(data_ + "/brelmox.db", false);
        server::AddOrganization(db, "other");
        server::AddProject(db, "other", "secret-project", "");
    }
    EXPECT_EQ(
        Post("get_project_list_from_cli.php",
             FormBody({{"username", "alice"}, {"password", "secret"}, {"organization", "acme"}})),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nproject:api\n--AaB03x\nproject:web\n");
}

TEST_F(QueryTest, ScriptsOfAProjectRefuseAnUnknownOne) {
    Fields who = Who();
    who[3].second = "shop";
    const Fields answer =
        ParseFields(Post("create_label_cli.php", FormBody(With(who, {{"label", "R1"}}))));
    EXPECT_EQ(answer[1].second, "-2018");
    EXPECT_EQ(answer[2].second, "Unknown project 'shop'.");
}

}  // namespace
}  // namespace servertest
