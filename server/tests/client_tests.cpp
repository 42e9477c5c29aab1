// The client library's own operations against the server, under a path prefix.
#include <filesystem>

#include "client/context.h"
#include "client/operations.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class ClientTest : public ServerFixture {
  protected:
    void SetUp() override {
        ServerFixture::SetUp();
        StopServer();
        server::ServeOptions options;
        options.prefix = "/scm/";
        StartServer(options);
        context_.m_strURL = "127.0.0.1:" + std::to_string(port_);
        context_.m_strVirtualDirectory = "scm";
        context_.m_strOrganization = "acme";
        context_.m_strProject = "web";
        context_.m_strUsername = "alice";
        context_.m_strPassword = "secret";
        SetMessageChannel([this](const std::string& text) { messages_.push_back(text); });
    }
    void TearDown() override {
        SetMessageChannel(nullptr);
        ServerFixture::TearDown();
    }

    COstrelContext context_;
    std::vector<std::string> messages_;
};

TEST_F(ClientTest, ValidationAndProjects) {
    EXPECT_EQ(ValidateUser(context_), 0);
    EXPECT_EQ(ValidateProject(context_), 0);
    EXPECT_EQ(CreateProject(context_, "api", "The API"), 0);
    context_.m_strProject = "shop";
    EXPECT_EQ(ValidateProject(context_), -2018);
    context_.m_strPassword = "wrong";
    EXPECT_EQ(ValidateUser(context_), -2014);
    EXPECT_EQ(messages_.back(), "Invalid user name or password.");
}

TEST_F(ClientTest, RoundTripOfATreeWithVersionsAndLabels) {
    dir_.WriteFile("src/a.c", "int a;\n");
    dir_.WriteFile("src/lib/b.c", "int b;\n");
    dir_.WriteFile("src/lib/deep/c.c", "int c;\n");
    const std::string pattern = dir_.Path("src/*.c");
    EXPECT_EQ(AddFiles(pattern, pattern, "Src", 1, 1, 0, "first", context_), 0);
    EXPECT_EQ(CreateLabel(context_, "R1", "first release"), 0);

    EXPECT_EQ(GetFiles("Src/lib/b.c", dir_.Path("work"), 0, 0, 1, "", "", "", context_), 0);
    dir_.WriteFile("work/b.c", "int b = 2;\n");
    const std::string changed = dir_.Path("work/b.c");
    EXPECT_EQ(AddFiles(changed, changed, "Src\\lib", 0, 0, 1, "second", context_), 0);

    EXPECT_EQ(GetFiles("Src/*.c", dir_.Path("latest"), 1, 1, 0, "", "", "", context_), 0);
    EXPECT_EQ(dir_.ReadFile("latest/Src/lib/b.c"), "int b = 2;\n");
    EXPECT_EQ(dir_.ReadFile("latest/Src/lib/deep/c.c"), "int c;\n");
    EXPECT_EQ(GetFiles("Src", dir_.Path("r1"), 1, 0, 0, "", "R1", "", context_), 0);
    EXPECT_EQ(dir_.ReadFile("r1/b.c"), "int b;\n");
}

TEST_F(ClientTest, UnchangedCheckInCountsAsSuccess) {
    const std::string file = dir_.WriteFile("a.c", "same\n");
    EXPECT_EQ(AddFiles(file, file, "", 0, 0, 0, "", context_), 0);
    EXPECT_EQ(GetFiles("a.c", dir_.Path("work"), 0, 0, 1, "", "", "", context_), 0);
    EXPECT_EQ(AddFiles(file, file, "", 0, 0, 1, "", context_), 0);
    EXPECT_EQ(messages_.back(),
              "File 'a.c' is unchanged: no new version was made and the check-out was released.");
    EXPECT_EQ(UncheckoutFiles(context_, "a.c", 0), -2010);
    EXPECT_EQ(RemoveFiles(context_, "a.c", 0), 0);
    EXPECT_EQ(GetFiles("a.c", dir_.Path("gone"), 0, 0, 0, "", "", "", context_), -2002);
}

}  // namespace
}  // namespace servertest
