// The administration commands that list and change what exists, run as the real program
// against the storage of a serving server, on the data folder and on PostgreSQL.
#include <gtest/gtest.h>

#include "server/admin/admin.h"
#include "server_fixture.h"
#include "test_support/run_program.h"

namespace servertest {
namespace {

class AdminCommandTest : public ServerFixture {
  protected:
    // Standard output, or standard error after a failure.
    std::string Admin(std::vector<std::string> words, const std::string& input = "",
                      int expectedExit = 0) {
        words.insert(words.begin(), testsupport::BinPath("brelmox-server"));
        words.insert(words.end(), {"--data", data_});
        if (pg_) words.insert(words.end(), {"--database", pg_->Url()});
        const testsupport::RunResult result = testsupport::RunProgram(words, {}, input);
        EXPECT_EQ(result.exitStatus, expectedExit) << words[1] << " " << result.stderrText;
        return expectedExit == 0 ? result.stdoutText : result.stderrText;
    }
    std::string Refused(const std::vector<std::string>& words, const std::string& input = "") {
        const std::string said = Admin(words, input, 1);
        return said.substr(0, said.find('\n'));
    }
    std::string LogIn(const std::string& user, const std::string& password) {
        return Post("validate_user_from_cli.php", FormBody({{"username", user},
                                                            {"password", password},
                                                            {"organization", "acme"},
                                                            {"project", "web"}}));
    }
};

TEST_F(AdminCommandTest, ListingsGiveOneRowALineOrOneJsonObjectALine) {
    {
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        server::AddOrganization(*storage, "q\"uote");
    }
    const struct {
        std::vector<std::string> words;
        std::string output;
    } cases[] = {
        {{"org", "list"}, "acme\nq\"uote\n"},
        {{"org", "list", "-json"}, "{\"name\":\"acme\"}\n{\"name\":\"q\\\"uote\"}\n"},
        {{"user", "list", "acme"}, "alice\tenabled\t0\nbob\tenabled\t0\n"},
        {{"user", "list", "-json", "acme"},
         "{\"name\":\"alice\",\"disabled\":false,\"checkouts\":0}\n"
         "{\"name\":\"bob\",\"disabled\":false,\"checkouts\":0}\n"},
        {{"user", "list", "q\"uote"}, ""},
        {{"project", "list", "acme"}, "web\n"},
        {{"project", "list", "acme", "-json"}, "{\"name\":\"web\"}\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Admin(c.words), c.output) << c.words[0] << c.words[1];
}

TEST_F(AdminCommandTest, RefusalsNameWhatIsWrong) {
    const struct {
        std::vector<std::string> words;
        std::string message;
        std::string input = "";
    } cases[] = {
        {{"user", "list", "nope"}, "brelmox-server: Unknown organization 'nope'."},
        {{"project", "list", "nope"}, "brelmox-server: Unknown organization 'nope'."},
        {{"user", "passwd", "acme", "carol"},
         "brelmox-server: Unknown user 'carol' in 'acme'.",
         "x\n"},
        {{"user", "passwd", "acme", "alice"},
         "brelmox-server: The password must not be empty.",
         "\n"},
        {{"user", "passwd", "acme", "alice"}, "brelmox-server: No password on standard input."},
        {{"user", "disable", "acme", "carol"}, "brelmox-server: Unknown user 'carol' in 'acme'."},
        {{"user", "release", "nope", "alice"}, "brelmox-server: Unknown organization 'nope'."},
        {{"project", "remove", "acme", "nope", "--yes"},
         "brelmox-server: Unknown project 'nope' in 'acme'."},
        {{"project", "remove", "acme", "web"},
         "brelmox-server: Removing the project 'web' deletes its files, versions and labels for "
         "good; run the command again with --yes to do it."},
        {{"org", "list", "--yes"}, "brelmox-server: Unknown option --yes."},
        {{"user", "disable", "acme"}, "brelmox-server: Wrong number of arguments."},
    };
    for (const auto& c : cases) EXPECT_EQ(Refused(c.words, c.input), c.message) << c.message;
    // Nothing was changed by any of them.
    EXPECT_EQ(Admin({"project", "list", "acme"}), "web\n");
    EXPECT_EQ(Statuses(LogIn("alice", "secret")), "0");
}

TEST_F(AdminCommandTest, ADisabledUserIsRefusedLikeAWrongPasswordAndItsCheckOutsCanBeReleased) {
    Upload("Src", "a.c", "shared");
    ASSERT_EQ(Statuses(Get("Src/a.c", false, true, {}, "bob")), "0");
    const std::string wrongPassword = LogIn("bob", "wrong");
    ASSERT_NE(Statuses(wrongPassword), "0");

    EXPECT_EQ(Admin({"user", "disable", "acme", "bob"}), "Disabled the user 'bob' in 'acme'.\n");
    EXPECT_EQ(LogIn("bob", "builder"), wrongPassword);
    EXPECT_EQ(Admin({"user", "list", "acme"}), "alice\tenabled\t0\nbob\tdisabled\t1\n");
    EXPECT_EQ(Statuses(Get("Src/a.c", false, true)), "-2008");

    EXPECT_EQ(Admin({"user", "release", "acme", "bob"}),
              "Released 1 check-outs of 'bob' in 'acme'.\n");
    EXPECT_EQ(Statuses(Get("Src/a.c", false, true)), "0");
    EXPECT_EQ(Admin({"user", "release", "acme", "bob"}),
              "Released 0 check-outs of 'bob' in 'acme'.\n");

    EXPECT_EQ(Admin({"user", "enable", "acme", "bob"}), "Enabled the user 'bob' in 'acme'.\n");
    EXPECT_EQ(Statuses(LogIn("bob", "builder")), "0");
}

TEST_F(AdminCommandTest, ANewPasswordReplacesTheOldOneAtOnce) {
    ASSERT_EQ(Statuses(LogIn("alice", "secret")), "0");  // the server now remembers it
    const std::string wrongPassword = LogIn("alice", "wrong");
    EXPECT_EQ(Admin({"user", "passwd", "acme", "alice"}, "fresh\n"),
              "Changed the password of 'alice' in 'acme'.\n");
    EXPECT_EQ(LogIn("alice", "secret"), wrongPassword);
    EXPECT_EQ(Statuses(LogIn("alice", "fresh")), "0");
}

TEST_F(AdminCommandTest, RemovingAProjectTakesItsFilesVersionsLabelsAndCheckOuts) {
    Upload("Src", "a.c", "one");
    ASSERT_EQ(Statuses(Get("Src/a.c", false, true, {}, "bob")), "0");
    ASSERT_EQ(Statuses(Ask("create_label_cli.php", {{"label", "R1"}, {"description", ""}})), "0");
    {
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        server::AddProject(*storage, "acme", "other", "");
    }

    EXPECT_EQ(Admin({"project", "remove", "acme", "web", "--yes"}),
              "Removed the project 'web' from 'acme'.\n");
    EXPECT_EQ(Admin({"project", "list", "acme"}), "other\n");
    EXPECT_EQ(Admin({"user", "list", "acme"}), "alice\tenabled\t0\nbob\tenabled\t0\n");
    EXPECT_EQ(Statuses(Ask("validate_project_from_cli.php", {})), "-2018");

    // The name is free again, for an empty project.
    EXPECT_EQ(Admin({"project", "add", "acme", "web"}), "Added the project 'web' to 'acme'.\n");
    EXPECT_EQ(Statuses(Get("Src/a.c")), "-2002");
}

}  // namespace
}  // namespace servertest
