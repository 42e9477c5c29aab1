// The start-up sequence, projects and labels against a scripted server.
#include <gtest/gtest.h>

#include "client/messages.h"
#include "client/operations.h"
#include "client/tests/wire_fixture.h"
#include "platform/registry_file.h"

namespace {

class StartupTest : public WireTest {
  protected:
    void StoreConfiguration(bool withConfig, bool secure = false) {
        if (withConfig) {
            const std::string key = BuildKeyPath(msg::kConfigKey);
            WriteRegString(key, "Username", "alice");
            WriteRegString(key, "Password", "secret");
            WriteRegString(key, "Organization", "Acme");
            WriteRegString(key, "Project", "Web");
        }
        const std::string connection = BuildKeyPath(msg::kConnectionKey);
        WriteRegString(connection, "URL", server.HostAndPort());
        platform::RegSetValue(connection, "Secure",
                              {platform::RegType::Binary, std::string(1, secure ? '\1' : '\0')});
    }

    int Start(int validateProject) {
        COstrelContext fresh;
        fresh.m_bConsole = 1;
        return ConnectAndValidate(fresh, validateProject);
    }
};

TEST_F(StartupTest, UnreachableSiteIsReportedEvenWithoutConfiguration) {
    // Nothing listens on port 1 of the loopback address.
    WriteRegString(BuildKeyPath(msg::kConnectionKey), "URL", "127.0.0.1:1");
    std::string printed = Printed([&] { EXPECT_EQ(Start(1), -2025); });
    EXPECT_EQ(printed, "Couldn't connect to Brelmox site, 'http://127.0.0.1:1'\n");
}

TEST_F(StartupTest, MissingConfigurationStopsSilently) {
    StoreConfiguration(false);
    std::string printed = Printed([&] { EXPECT_EQ(Start(1), -2); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(StartupTest, UserNoticeIsShownAndTheCommandGoesOn) {
    StoreConfiguration(true);
    server.Enqueue(StatusReply(-2021, "Your trial ends soon"));
    server.Enqueue(StatusReply(0));
    std::string printed = Printed([&] { EXPECT_EQ(Start(1), 0); });
    EXPECT_EQ(printed, "Your trial ends soon\n");
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(0).target, "/validate_user_from_cli.php");
    EXPECT_EQ(server.Request(1).target, "/validate_project_from_cli.php");
}

TEST_F(StartupTest, RefusedUserShowsTheServersText) {
    StoreConfiguration(true);
    server.Enqueue(StatusReply(-2014, "Invalid user or password"));
    std::string printed = Printed([&] { EXPECT_EQ(Start(1), -2014); });
    EXPECT_EQ(printed, "Invalid user or password\n");
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(StartupTest, UnknownProjectIsNamedByTheStartUpAlone) {
    StoreConfiguration(true);
    server.Enqueue(StatusReply(0));
    server.Enqueue(StatusReply(-2018, "no such project"));
    std::string printed = Printed([&] { EXPECT_EQ(Start(1), -2018); });
    EXPECT_EQ(printed, "Unknown project with name 'Web'.\n");
}

TEST_F(StartupTest, ProjectIsNotValidatedWhenNotAsked) {
    StoreConfiguration(true);
    server.Enqueue(StatusReply(0));
    EXPECT_EQ(Start(0), 0);
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(StartupTest, ValidateUserSendsTheFourFields) {
    server.Enqueue(StatusReply(0));
    ASSERT_EQ(ValidateUser(context), 0);
    EXPECT_EQ(server.Request(0).body,
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\nsecret"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
              "\r\n--AaB03x--\r\n");
}

TEST_F(StartupTest, CreateProjectSendsNameAndDescriptionWithoutProjectField) {
    server.Enqueue(StatusReply(0));
    std::string printed = Printed([&] { EXPECT_EQ(CreateProject(context, "Mobile", ""), 0); });
    EXPECT_EQ(printed, "Created Project 'Mobile'.\n");
    EXPECT_EQ(server.Request(0).body,
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\nsecret"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project_name\"\r\n\r\nMobile"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project_description\"\r\n\r\n"
              "\r\n--AaB03x--\r\n");
}

TEST_F(StartupTest, CreateProjectRefusalShowsTheServersText) {
    server.Enqueue(StatusReply(-3001, "Project 'Mobile' exists"));
    std::string printed = Printed([&] { EXPECT_EQ(CreateProject(context, "Mobile", "d"), -3001); });
    EXPECT_EQ(printed, "Project 'Mobile' exists\n");
}

TEST_F(StartupTest, LabelGoesOverPlainHttpOnceEvenWhenSecure) {
    context.m_bSecure = 1;
    server.Enqueue(StatusReply(0));
    std::string printed = Printed([&] { EXPECT_EQ(CreateLabel(context, "Release1", ""), 0); });
    EXPECT_EQ(printed, "Label 'Release1' attached to checked in files in Project 'Web'.\n");
    EXPECT_EQ(server.Request(0).target, "/create_label_cli.php");
    EXPECT_NE(server.Request(0).body.find("name=\"description\"\r\n\r\n\r\n--AaB03x--\r\n"),
              std::string::npos);
}

TEST_F(StartupTest, LabelIsSentOnceAndAFailedSendEndsInAReadFailure) {
    std::string printed = Printed([&] { EXPECT_EQ(CreateLabel(context, "Release1", "d"), -5); });
    EXPECT_EQ(server.RequestCount(), 1u);
    // The transport's own text, then the failed read of the answer that never came.
    EXPECT_NE(printed.find("\n\nCouldn't read status from internet\n\n"), std::string::npos)
        << printed;
}

TEST_F(StartupTest, LabelRefusalPrintsOnlyTheServersText) {
    server.Enqueue(StatusReply(-3002, "No files to label"));
    std::string printed = Printed([&] { EXPECT_EQ(CreateLabel(context, "R", ""), -3002); });
    EXPECT_EQ(printed, "No files to label\n");
}

}  // namespace
