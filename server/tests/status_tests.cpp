// The statuses every script answers, as one table over one shared history, and what history,
// properties and the project list report.
#include <memory>

#include "client/operations.h"
#include "server/admin/admin.h"
#include "server_fixture.h"
#include "test_support/recording_notifier.h"

namespace servertest {
namespace {

class StatusTest : public ServerFixture {
  protected:
    std::string Validate(const std::string& user, const std::string& password,
                         const std::string& organization = "acme") {
        return Post(
            "validate_user_from_cli.php",
            FormBody({{"username", user}, {"password", password}, {"organization", organization}}));
    }
};

TEST_F(StatusTest, EveryScriptAnswersTheStatusOfWhatItWasAsked) {
    {
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        server::SetUserNotice(*storage, "acme", "bob", "Read the news.");
        server::AddOrganization(*storage, "other");
        server::AddProject(*storage, "other", "hidden", "");
    }
    for (const char* name : {"free.c", "mine.c", "theirs.c", "gone.c"}) Upload("Src", name, name);
    Fields newProject = Who();
    newProject[3] = {"project_name", "api"};
    Fields unknownProject = Who();
    unknownProject[3].second = "shop";
    unknownProject.emplace_back("label", "R1");
    const Fields recurse = {{"recurse", "Y"}, {"viewpath", "Src"}};
    const Fields allC = {{"recurse", "N"}, {"viewpath", "Src/*.c"}};
    const Fields none = {{"recurse", "N"}, {"viewpath", "Src/*.java"}};
    const Fields zone = {{"type", "version"}, {"timezone", "0"}, {"filepath", "Src/none.c"}};

    // Each row is asked in the order written and sees what the rows before it did.
    const std::pair<const char*, std::string> rows[] = {
        {"0", Get("Src/mine.c", false, true)},
        {"0", Get("Src/theirs.c", false, true, {}, "bob")},
        {"0", Ask("remove_files_from_cli.php", {{"recurse", "N"}, {"viewpath", "Src/gone.c"}})},
        {"-2020", Validate("alice", "secret", "x")},
        {"-2014", Validate("alice", "Secret")},
        {"-2014", Validate("carol", "secret")},
        {"-2014", Validate("alice", "")},
        {"-2101", Post("validate_user_from_cli.php",
                       FormBody({{"username", "alice"}, {"organization", "acme"}}))},
        {"-2021", Validate("bob", "builder")},
        {"0", Post("validate_project_from_cli.php",
                   FormBody({{"organization", "acme"}, {"project", "web"}}))},
        {"-2018", Post("validate_project_from_cli.php",
                       FormBody({{"organization", "acme"}, {"project", "shop"}}))},
        {"-2018", Post("create_label_cli.php", FormBody(unknownProject))},
        {"0 -2026 -2008 -2010 -2009 -2001 -2009",
         Ask("query_info_multiple_from_cli_a.php",
             {{"filepaths",
               "Src\\mine.c|Src\\theirs.c|Src\\free.c|Src\\none.c|Src\\gone.c|..\\x"}})},
        {"-2101", Ask("add_files_from_cli.php",
                      {{"viewpath", "Src"}, {"checkin", "N"}, {"description", ""}})},
        {"-2007", Upload("Src", "free.c", "again")},
        {"-2009", Upload("Src", "none.c", "x", true)},
        {"-2008", Upload("Src", "theirs.c", "x", true)},
        {"-2010", Upload("Src", "free.c", "x", true)},
        {"-2011", Upload("Src", "mine.c", "mine.c", true)},
        {"-2010", Upload("Src", "mine.c", "mine.c", true)},
        {"0", Get("Src/free.c", false, true)},
        {"0", Upload("Src", "free.c", "free v2", true)},
        {"-2010", Upload("Src", "free.c", "free v3", true)},
        {"0", Ask("create_label_cli.php", {{"label", "R1"}, {"description", ""}})},
        {"0", Upload("Src/sub", "late.c", "late")},
        {"0 -2013 -2013 -2013", Get("Src", true, false, {{"version_no", "2"}})},
        {"0 0 0 -2013", Get("Src", true, false, {{"label", "R1"}})},
        {"-2106", Get("Src/free.c", false, false, {{"version_no", "x1"}})},
        {"-2002", Get("Src/none.c")},
        {"-2002", Get("Src/gone.c")},
        {"0 0 -2008", Get("Src/*.c", false, true)},
        {"0 0 -2016 -2010", Ask("uncheckout_from_cli.php", recurse)},
        {"-2002", Ask("uncheckout_from_cli.php", none)},
        {"0", Get("Src/mine.c", false, true)},
        {"0 0 -2008", Ask("remove_files_from_cli.php", allC)},
        {"-2002", Ask("remove_files_from_cli.php", none)},
        {"-2002", Ask("remove_files_from_cli.php", {{"recurse", "N"}, {"viewpath", "Src/free.c"}})},
        {"0", Upload("Src", "gone.c", "back")},
        {"0", Get("Src/gone.c", false, false, {{"version_no", "2"}})},
        {"-2009", Ask("get_history_from_cli.php", zone)},
        {"-2009", Ask("get_properties_from_cli.php", zone)},
        {"-2106", Ask("get_history_from_cli.php",
                      {{"type", "version"}, {"timezone", "east"}, {"filepath", "Src/gone.c"}})},
        {"0", Post("create_project_from_cli.php", FormBody(newProject))},
        {"-2107", Post("create_project_from_cli.php", FormBody(newProject))},
    };
    for (const auto& [expected, answer] : rows) EXPECT_EQ(Statuses(answer), expected) << answer;

    EXPECT_EQ(Validate("bob", "builder"),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2021\n--AaB03x\nerror:Read the news.\n");
    EXPECT_EQ(Ask("get_project_list_from_cli.php", {}, "bob"),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nproject:api\n"
              "--AaB03x\nproject:web\n")
        << "a user with a notice is still served";
}

TEST_F(StatusTest, HistoryAndPropertiesDescribeEveryVersion) {
    // Line breaks travel as spaces, or they would break the answer's lines.
    PostArchive("", "a.c", Archive("one"), false, "one\r\ntwo\nthree");
    Get("a.c", false, true);
    Upload("", "a.c", "two", true);
    for (const char* label : {"R1", "Beta"})
        Ask("create_label_cli.php", {{"label", label}, {"description", ""}});
    Get("a.c", false, true, {}, "bob");
    // Known times: version 1 at 23:13:20 UTC on 2023-11-14, version 2 an hour later.
    RunSql("UPDATE versions SET created_at = 1700000000 + number * 3600");
    EXPECT_EQ(
        Ask("get_history_from_cli.php",
            {{"filepath", "a.c"}, {"type", "label"}, {"timezone", "-60"}}),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nversion:1\n--AaB03x\nlabel:\n"
        "--AaB03x\nversion_status:Checked in\n--AaB03x\ndate:2023-11-15 00:13:20\n"
        "--AaB03x\nuser:alice\n--AaB03x\ndescription:one  two three\n--AaB03x\nversion:2\n"
        "--AaB03x\nlabel:Beta, R1\n--AaB03x\nversion_status:Checked out by bob\n"
        "--AaB03x\ndate:2023-11-15 01:13:20\n--AaB03x\nuser:alice\n--AaB03x\ndescription:upload\n");
    Ask("remove_files_from_cli.php", {{"recurse", "N"}, {"viewpath", "a.c"}}, "bob");
    RunSql("UPDATE files SET removed_at = 1700010000");
    EXPECT_EQ(Ask("get_properties_from_cli.php", {{"filepath", "a.c"}, {"type", "version"}}),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nversion:2\n"
              "--AaB03x\nversion_status:Removed\n--AaB03x\ndate:2023-11-15 00:13:20 UTC\n"
              "--AaB03x\nuser:alice\n--AaB03x\ndescription:upload\n"
              "--AaB03x\ndate_removed:2023-11-15 01:00:00 UTC\n--AaB03x\nremover:bob\n");
}

TEST_F(StatusTest, ClientListsTheProjectsOfItsOwnOrganizationInNameOrder) {
    {
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        server::AddProject(*storage, "acme", "api", "");
        server::AddOrganization(*storage, "other");
        server::AddProject(*storage, "other", "hidden", "");
    }
    testsupport::NotifierLog log;
    std::unique_ptr<brelmox::COstrelContext> client = ClientAs("alice", &log);
    brelmox::COstrelContext& context = *client;
    std::vector<std::string> projects;
    EXPECT_EQ(brelmox::GetProjectList(context, &projects), 0);
    EXPECT_EQ(projects, (std::vector<std::string>{"api", "web"}));

    context.m_strPassword = "Secret";
    EXPECT_EQ(brelmox::GetProjectList(context, &projects), -2014);
    EXPECT_EQ(projects.size(), 2u);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Invalid user name or password."});
}

}  // namespace
}  // namespace servertest
