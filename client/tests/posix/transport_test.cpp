#include "client/transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "client/multipart.h"
#include "client/operations.h"
#include "client/tests/wire_fixture.h"
#include "test_support/test_certificate.h"

namespace brelmox {

namespace {

using testsupport::Answer;
using testsupport::CloseWithoutAnswer;
using testsupport::HttpResponse;

TEST(BuildObjectName, TrimsTheVirtualDirectory) {
    struct Case {
        const char* directory;
        const char* expected;
    };
    const Case cases[] = {
        {"/scm/", "scm/validate_user_from_cli.php"}, {"\\scm\\", "scm/validate_user_from_cli.php"},
        {"/", "validate_user_from_cli.php"},         {"", "validate_user_from_cli.php"},
        {"a/b\\", "a/b/validate_user_from_cli.php"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildObjectName(c.directory, "validate_user_from_cli.php"), c.expected)
            << c.directory;
    }
}

using TransportTest = WireTest;

TEST_F(TransportTest, RequestOnTheWireHasExactlyTheAgreedHeaders) {
    context.m_strVirtualDirectory = "\\scm\\";
    server.Enqueue(testsupport::StatusReply(0));
    ASSERT_EQ(ValidateProject(context), 0);
    ASSERT_EQ(server.RequestCount(), 1u);
    testsupport::RecordedRequest request = server.Request(0);
    EXPECT_EQ(request.method + " " + request.target + " " + request.version,
              "POST /scm/validate_project_from_cli.php HTTP/1.1");
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers) names.push_back(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Accept", "Content-Length", "Content-Type", "Host",
                                               "User-Agent"}));
    EXPECT_EQ(request.Header("User-Agent"), "HttpSendRequestEx");
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.Header("Content-Type"), "multipart/form-data, boundary=AaB03x");
    EXPECT_EQ(request.Header("Host"), server.HostAndPort());
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(request.body.size()));
    EXPECT_EQ(request.body,
              "--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
              "\r\n--AaB03x--\r\n");
}

// A context that talks to a server over TLS whose certificate it trusts.
class SecureTransportTest : public WireTest {
  protected:
    SecureTransportTest() {
        context.m_strURL = tls.HostAndPort();
        context.m_bSecure = 1;
    }

    testsupport::TrustedCertificate certificate;
    testsupport::ScriptedServer tls{certificate.CertPath(), certificate.KeyPath()};
};

// A failed handshake fails an attempt before a byte of the request has gone out, so the
// request is sent again.
TEST_F(SecureTransportTest, RequestIsSentAgainAfterThreeFailedHandshakesWithoutAMessage) {
    tls.FailHandshakes(3);
    tls.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(ValidateUser(context), 0);
    EXPECT_EQ(log.messages, std::vector<std::string>{});
    EXPECT_EQ(tls.AcceptedConnections(), 4);
    EXPECT_EQ(tls.RequestCount(), 1u);
}

TEST_F(SecureTransportTest, RequestIsTriedSixTimesThenReportedOnce) {
    tls.FailHandshakes(100);
    EXPECT_EQ(ValidateUser(context), -1002);
    EXPECT_EQ(tls.AcceptedConnections(), 6);
    ASSERT_EQ(log.messages.size(), 1u);
    const std::string& shown = log.messages[0];
    ASSERT_EQ(shown.rfind("Error validating user (HttpSendRequest): ", 0), 0u) << shown;
    // The transport's text ends its own line, so the final "." stands on the next one.
    EXPECT_EQ(shown.substr(shown.size() - 2), "\n.");
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1);
}

// The server took the whole request and closed without an answer, as one does that committed
// and then lost the answer: a repeat would act twice or be refused for what the first did.
TEST_F(TransportTest, RequestWhoseAnswerWasLostIsNotSentAgain) {
    const std::string source = dir.WriteFile("src/a.c", "a");
    struct Case {
        const char* what;
        std::function<int()> run;
        std::string shown;
    };
    const Case cases[] = {
        {"cp", [&] { return CreateProject(context, "Mobile", ""); }, "Error creating project "},
        {"add", [&] { return AddFile(context, 0, source, "Src", ""); }, "Error adding file"},
        {"ci", [&] { return AddFile(context, 1, source, "Src", ""); }, "Error adding file"},
        {"co", [&] { return GetFiles("Src/a.c", dir.Path("local"), 0, 0, 1, "", "", "", context); },
         "Error getting file "},
        {"unco", [&] { return UncheckoutFiles(context, "Src/a.c", 0); },
         "Error undoing check out "},
        {"rm", [&] { return RemoveFiles(context, "Src/a.c", 0); }, "Error removing file "},
        {"validate", [&] { return ValidateUser(context); }, "Error validating user "},
    };
    // What a server would answer a repeat.
    server.SetDefaultReply(testsupport::StatusReply(-2010, "File 'Src/a.c' is not checked out."));
    for (const Case& c : cases) {
        const size_t before = server.RequestCount();
        server.Enqueue(CloseWithoutAnswer());
        testsupport::NotifierLog reported = Reported([&] { EXPECT_EQ(c.run(), -1002) << c.what; });
        EXPECT_EQ(server.RequestCount(), before + 1) << c.what;
        EXPECT_EQ(
            reported.messages,
            std::vector<std::string>{c.shown + "(HttpSendRequest): Empty reply from server\n."})
            << c.what;
        EXPECT_TRUE(reported.files.empty()) << c.what;
    }
}

TEST_F(TransportTest, UnparsableAddressFailsToConnect) {
    context.m_strURL = "host name with spaces";
    EXPECT_EQ(ValidateUser(context), -3);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Failed to connect to Brelmox\n"});
}

TEST_F(TransportTest, HttpErrorPageIsAFailure) {
    server.Enqueue(Answer({HttpResponse("<html>Not Found</html>", 404)}));
    EXPECT_EQ(ValidateUser(context), -6);
    EXPECT_EQ(log.messages, std::vector<std::string>{
                                "Server answered HTTP 404 for 'validate_user_from_cli.php'."});
}

TEST_F(TransportTest, KeywordAnswerIsReadWhateverItsHttpStatus) {
    server.Enqueue(Answer({HttpResponse(testsupport::StatusBody(-2014, "Invalid user"), 500)}));
    EXPECT_EQ(ValidateUser(context), -2014);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Invalid user"});
}

TEST_F(TransportTest, AnswerSplitIntoPiecesIsReadAsOne) {
    std::string raw = HttpResponse(testsupport::StatusBody(-2014, "Invalid user"));
    server.Enqueue(Answer(testsupport::SplitEvery(raw, 7), std::chrono::milliseconds(2)));
    EXPECT_EQ(ValidateUser(context), -2014);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Invalid user"});
}

TEST_F(TransportTest, ServerThatDiesMidAnswerIsAReadFailure) {
    std::string raw = HttpResponse(testsupport::StatusBody(0) + std::string(5000, 'x'));
    server.Enqueue(testsupport::StopEarly({raw.substr(0, raw.size() - 100)}));
    EXPECT_EQ(ValidateUser(context), -5);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Couldn't read status from internet\n"});
}

TEST_F(SecureTransportTest, TrustedCertificateIsAcceptedAndUntrustedRefused) {
    tls.SetDefaultReply(testsupport::StatusReply(0));
    EXPECT_EQ(ValidateProject(context), 0);
    EXPECT_EQ(tls.RequestCount(), 1u);

    const testsupport::TrustedCertificate other;  // trusted instead, for its life
    EXPECT_EQ(ValidateProject(context), -1002);
    EXPECT_EQ(tls.RequestCount(), 1u);
}

}  // namespace

}  // namespace brelmox
