#include "test_support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "test_support/temp_dir.h"
#include "test_support/test_certificate.h"

namespace testsupport {
namespace {

using namespace std::chrono_literals;

const std::string kRequest =
    "POST /scm/validate_user_from_cli.php HTTP/1.1\r\n"
    "Host: 127.0.0.1\r\n"
    "Content-Type: multipart/form-data, boundary=AaB03x\r\n"
    "Content-Length: 12\r\n"
    "\r\n"
    "line1\r\n\r\nend";

const std::vector<std::string> kAnswerPieces = {"HTTP/1.1 200 OK\r\nContent-Le", "ngth: 2\r\n\r\n",
                                                "o", "k"};
const std::string kAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

UniqueFd ConnectTo(int port) {
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    timeval timeout{10, 0};
    setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0)
        << std::strerror(errno);
    return socket;
}

struct Received {
    std::string bytes;
    bool reset = false;  // the server reset the connection instead of ending it
};

// Sends the request in the given pieces and reads until the server closes.
Received Talk(int port, const std::vector<std::string>& requestPieces) {
    UniqueFd socket = ConnectTo(port);
    for (const std::string& piece : requestPieces) {
        EXPECT_EQ(send(socket.Get(), piece.data(), piece.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(piece.size()));
    }
    Received received;
    char buffer[4096];
    ssize_t got;
    while ((got = recv(socket.Get(), buffer, sizeof buffer, 0)) > 0) {
        received.bytes.append(buffer, static_cast<size_t>(got));
    }
    received.reset = got < 0 && errno == ECONNRESET;
    return received;
}

TEST(ScriptedServerTest, AnswersEachConnectionWithTheNextReplyThenTheDefault) {
    ScriptedServer server;
    server.Enqueue(Answer(kAnswerPieces, 5ms));
    server.Enqueue(CloseWithoutAnswer());
    server.Enqueue(Answer({"HTTP/1.1 404 Not Found\r\n\r\n"}));

    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, kAnswer);
    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, "");
    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, "HTTP/1.1 404 Not Found\r\n\r\n");
    Received defaultReply = Talk(server.Port(), {kRequest});
    EXPECT_EQ(defaultReply.bytes, "") << "the first default closes without an answer";
    EXPECT_FALSE(defaultReply.reset);
    server.SetDefaultReply(Answer({"again"}));
    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, "again");
    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, "again");
    EXPECT_EQ(server.ConnectionCount(), 6u);
    EXPECT_EQ(server.RequestCount(), 6u);
}

TEST(ScriptedServerTest, RecordsEachRequestByteForByteHoweverItArrives) {
    const std::string bigBody(100000, 'x');
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::string body;
        bool chunked;
    };
    const Case cases[] = {
        {"split in the head, its end and the body",
         {kRequest.substr(0, 7), kRequest.substr(7, 129), kRequest.substr(136, 7),
          kRequest.substr(143)},
         "line1\r\n\r\nend",
         false},
        {"body larger than one read",
         {"POST /big HTTP/1.1\r\nContent-Length: 100000\r\n\r\n", bigBody},
         bigBody,
         false},
        {"chunked body",
         {"POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", "lo\r\n0\r\n\r\n"},
         "5\r\nhello\r\n0\r\n\r\n",
         true},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        Talk(server.Port(), c.pieces);
        std::string whole;
        for (const std::string& piece : c.pieces) whole += piece;
        ASSERT_EQ(server.Requests(), std::vector<std::string>{whole}) << c.name;
        EXPECT_EQ(server.Request(0).body, c.body) << c.name;
        EXPECT_EQ(server.Request(0).chunked, c.chunked) << c.name;
    }
}

TEST(ScriptedServerTest, StopEarlyResetsTheConnectionAfterItsPieces) {
    ScriptedServer server;
    server.Enqueue(StopEarly({"HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\n", "--AaB03x\nproto"}));
    Received received = Talk(server.Port(), {kRequest});
    EXPECT_EQ(received.bytes, "HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\n--AaB03x\nproto");
    EXPECT_TRUE(received.reset);
}

TEST(ScriptedServerTest, AConnectionThatSendsNothingUsesNoReply) {
    ScriptedServer server;
    server.Enqueue(Answer({"first"}));
    ConnectTo(server.Port());  // a reachability check: connect, then close at once
    EXPECT_EQ(Talk(server.Port(), {kRequest}).bytes, "first");
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(ScriptedServerTest, WaitForRequestsGivesUpWhenNoneComes) {
    ScriptedServer server;
    EXPECT_FALSE(server.WaitForRequests(1, 1ms));
    Talk(server.Port(), {kRequest});
    EXPECT_TRUE(server.WaitForRequests(1));
}

// A TLS client that trusts only caFile and checks the server for both of the test
// certificate's names. Sends the request, then reads until the end or until `limit` bytes.
// False when the handshake fails.
bool TlsTalk(int port, const std::string& caFile, const std::string& request, std::string* answer,
             size_t limit = std::string::npos) {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()),
                                                              &SSL_CTX_free);
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    EXPECT_EQ(SSL_CTX_load_verify_locations(context.get(), caFile.c_str(), nullptr), 1);
    UniqueFd socket = ConnectTo(port);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), &SSL_free);
    SSL_set_fd(ssl.get(), socket.Get());
    X509_VERIFY_PARAM* names = SSL_get0_param(ssl.get());
    X509_VERIFY_PARAM_set1_host(names, "localhost", 0);
    X509_VERIFY_PARAM_set1_ip_asc(names, "127.0.0.1");
    bool connected = SSL_connect(ssl.get()) == 1 &&
                     SSL_write(ssl.get(), request.data(), static_cast<int>(request.size())) > 0;
    char buffer[4096];
    int got;
    while (connected && answer->size() < limit &&
           (got = SSL_read(ssl.get(), buffer, sizeof buffer)) > 0) {
        answer->append(buffer, static_cast<size_t>(got));
    }
    ERR_clear_error();
    return connected;
}

class TlsServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(MakeTestCertificate(folder_.Path(), &cert_, &key_));
        server_ = std::make_unique<ScriptedServer>(cert_, key_);
    }

    TempDir folder_;
    std::string cert_, key_;
    std::unique_ptr<ScriptedServer> server_;
};

TEST_F(TlsServerTest, ServesAClientThatVerifiesTheTestCertificate) {
    server_->Enqueue(Answer(kAnswerPieces, 5ms));
    std::string answer;
    ASSERT_TRUE(TlsTalk(server_->Port(), cert_, kRequest, &answer));
    EXPECT_EQ(answer, kAnswer);
    EXPECT_EQ(server_->Requests(), std::vector<std::string>{kRequest});
}

TEST_F(TlsServerTest, AFailedHandshakeUsesNoReply) {
    TempDir otherFolder;
    std::string otherCert, otherKey;
    ASSERT_TRUE(MakeTestCertificate(otherFolder.Path(), &otherCert, &otherKey));
    server_->Enqueue(Answer({"first"}));
    std::string answer;
    EXPECT_FALSE(TlsTalk(server_->Port(), otherCert, kRequest, &answer))
        << "a client trusting another certificate must refuse the server";
    ASSERT_TRUE(TlsTalk(server_->Port(), cert_, kRequest, &answer));
    EXPECT_EQ(answer, "first");
}

// The client reads the first piece and closes: the next write draws a reset and the one
// after it fails with EPIPE, which must not end the test program by a signal.
TEST_F(TlsServerTest, KeepsServingAfterAClientLeavesMidAnswer) {
    server_->Enqueue(Answer({"abc", "def", "ghi", "jkl", "mno"}, 20ms));
    server_->Enqueue(Answer({"second"}));
    std::string partial;
    ASSERT_TRUE(TlsTalk(server_->Port(), cert_, kRequest, &partial, 3));
    EXPECT_EQ(partial, "abc");
    ASSERT_TRUE(server_->WaitUntilIdle());
    std::string answer;
    ASSERT_TRUE(TlsTalk(server_->Port(), cert_, kRequest, &answer));
    EXPECT_EQ(answer, "second");
}

}  // namespace
}  // namespace testsupport
