// The start-up sequence, projects and labels against a scripted server.
#include <gtest/gtest.h>

#include "client/messages.h"
#include "client/operations.h"
#include "client/tests/transfer_fixture.h"
#include "platform/registry_file.h"
#include "test_support/test_certificate.h"

namespace brelmox {

namespace {

class StartupTest : public TransferTest {
  protected:
    void StoreConfiguration(bool withConfig) {
        const std::string key = BuildKeyPath(msg::kConfigKey);
        if (withConfig) {
            for (const auto& [name, value] : {std::pair{"Username", "alice"},
                                              {"Password", "pw"},
                                              {"Organization", "Acme"},
                                              {"Project", "Web"}}) {
                WriteRegString(key, name, value);
            }
        }
        WriteRegString(BuildKeyPath(msg::kConnectionKey), "URL", server.HostAndPort());
    }

    int Start(int validateProject) {
        COstrelContext fresh;
        fresh.SetNotifier(std::make_unique<testsupport::RecordingNotifier>(&log));
        return ConnectAndValidate(fresh, validateProject);
    }
};

TEST_F(StartupTest, UnreachableSiteIsReportedEvenWithoutConfiguration) {
    struct Case {
        const char* secure;
        const char* shown;
    };
    // Nothing listens on port 1 of the loopback address.
    const Case cases[] = {
        {"\x00", "Couldn't connect to Brelmox site, 'http://127.0.0.1:1'"},
        // A secure site is checked where its requests go (443 without a port).
        {"\x01", "Couldn't connect to Brelmox site, 'https://127.0.0.1:1'"},
    };
    const std::string connection = BuildKeyPath(msg::kConnectionKey);
    WriteRegString(connection, "URL", "127.0.0.1:1");
    for (const Case& c : cases) {
        platform::RegSetValue(connection, "Secure",
                              {platform::RegType::Binary, std::string(c.secure, 1)});
        testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(Start(1), -2025); });
        EXPECT_EQ(reported.messages, std::vector<std::string>{c.shown});
    }
}

TEST_F(StartupTest, SecureSiteIsCheckedAndValidatedOverTls) {
    testsupport::TrustedCertificate certificate;
    testsupport::ScriptedServer tls(certificate.CertPath(), certificate.KeyPath());
    StoreConfiguration(true);
    const std::string connection = BuildKeyPath(msg::kConnectionKey);
    WriteRegString(connection, "URL", tls.HostAndPort());
    platform::RegSetValue(connection, "Secure", {platform::RegType::Binary, "\x01"});
    tls.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(Start(0), 0);
    EXPECT_EQ(log.messages, std::vector<std::string>{});
    EXPECT_EQ(tls.Request(0).target, "/validate_user_from_cli.php");
}

TEST_F(StartupTest, MissingConfigurationIsNamedBeforeAnythingIsAsked) {
    StoreConfiguration(false);
    EXPECT_EQ(Start(1), -2);
    EXPECT_EQ(log.messages, std::vector<std::string>{
                                "The setting \"Username\" is missing: set it with brelmox cfg "
                                "-u USERNAME"});
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(StartupTest, EachValidationOutcomeHasItsResultAndMessage) {
    struct Case {
        int validateProject;
        std::vector<testsupport::ScriptedReply> replies;
        int result;
        std::vector<std::string> shown;
        size_t requests;
    };
    const Case cases[] = {
        {1,
         {testsupport::StatusReply(-2021, "Your trial ends soon"), testsupport::StatusReply(0)},
         0,
         {"Your trial ends soon"},
         2},
        {1,
         {testsupport::StatusReply(-2014, "Invalid user or password")},
         -2014,
         {"Invalid user or password"},
         1},
        {1,
         {testsupport::StatusReply(0), testsupport::StatusReply(-2018, "no such project")},
         -2018,
         {"Unknown project with name 'Web'."},
         2},
        {0, {testsupport::StatusReply(0)}, 0, {}, 1},
    };
    StoreConfiguration(true);
    size_t requests = 0;
    for (const Case& c : cases) {
        for (const auto& reply : c.replies) server.Enqueue(reply);
        testsupport::NotifierLog reported =
            Reported([&] { EXPECT_EQ(Start(c.validateProject), c.result); });
        EXPECT_EQ(reported.messages, c.shown);
        requests += c.requests;
        ASSERT_EQ(server.RequestCount(), requests) << c.result;
    }
    const std::string user = server.Request(0).body;
    EXPECT_EQ(server.Request(0).target, "/validate_user_from_cli.php");
    EXPECT_EQ(FieldNames(user),
              (std::vector<std::string>{"username", "password", "organization", "project"}));
    EXPECT_EQ(FieldOf(user, "password"), "pw");
    EXPECT_EQ(server.Request(1).target, "/validate_project_from_cli.php");
}

TEST_F(StartupTest, CreateProjectNamesTheNewProjectAndShowsRefusals) {
    server.Enqueue(testsupport::StatusReply(0));
    testsupport::NotifierLog reported =
        Reported([&] { EXPECT_EQ(CreateProject(context, "Mobile", ""), 0); });
    EXPECT_EQ(reported.projectsCreated, std::vector<std::string>{"Mobile"});
    EXPECT_EQ(reported.messages, std::vector<std::string>{});
    const std::string body = server.Request(0).body;
    EXPECT_EQ(FieldNames(body), (std::vector<std::string>{"username", "password", "organization",
                                                          "project_name", "project_description"}));
    EXPECT_EQ(FieldOf(body, "project_name"), "Mobile");

    server.Enqueue(testsupport::StatusReply(-3001, "Project 'Mobile' exists"));
    reported = Reported([&] { EXPECT_EQ(CreateProject(context, "Mobile", "d"), -3001); });
    EXPECT_EQ(reported.messages, std::vector<std::string>{"Project 'Mobile' exists"});
    EXPECT_EQ(reported.projectsCreated, std::vector<std::string>{});
}

// The label request carries the password like every other request: over TLS when the
// connection is secure.
TEST_F(StartupTest, LabelFollowsTheSecureSetting) {
    testsupport::TrustedCertificate certificate;
    testsupport::ScriptedServer tls(certificate.CertPath(), certificate.KeyPath());
    context.m_strURL = tls.HostAndPort();
    context.m_bSecure = 1;
    tls.Enqueue(testsupport::StatusReply(0));
    testsupport::NotifierLog reported =
        Reported([&] { EXPECT_EQ(CreateLabel(context, "Release1", ""), 0); });
    EXPECT_EQ(reported.messages, std::vector<std::string>{});
    EXPECT_EQ(reported.labelsAttached,
              (std::vector<std::pair<std::string, std::string>>{{"Release1", "Web"}}));
    const testsupport::RecordedRequest request = tls.Request(0);
    EXPECT_EQ(request.target, "/create_label_cli.php");
    EXPECT_EQ(FieldNames(request.body),
              (std::vector<std::string>{"username", "password", "organization", "project", "label",
                                        "description"}));
    EXPECT_EQ(FieldOf(request.body, "description"), "");
}

TEST_F(StartupTest, LabelRefusalShowsTheServersText) {
    server.Enqueue(testsupport::StatusReply(-3002, "No files to label"));
    testsupport::NotifierLog reported =
        Reported([&] { EXPECT_EQ(CreateLabel(context, "R", ""), -3002); });
    EXPECT_EQ(reported.messages, std::vector<std::string>{"No files to label"});
    EXPECT_TRUE(reported.labelsAttached.empty());
}

TEST_F(StartupTest, LabelIsSentOnceAndAFailedSendEndsInAReadFailure) {
    EXPECT_EQ(CreateLabel(context, "Release1", "d"), -5);
    EXPECT_EQ(server.RequestCount(), 1u);
    // The transport's own text, then the failed read of the answer that never came.
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_EQ(log.messages[0].back(), '\n') << log.messages[0];
    EXPECT_EQ(log.messages[1], "Couldn't read status from internet\n");
}

}  // namespace

}  // namespace brelmox
