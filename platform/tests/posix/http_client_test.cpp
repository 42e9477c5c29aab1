#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "test_support/scripted_server.h"
#include "test_support/test_certificate.h"

namespace {

TEST(ParseServerAddress, AcceptsHostsPortsAndBracketedAddresses) {
    struct Case {
        const char* address;
        bool secure;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"example.org", false, "example.org", 0},
        {"127.0.0.1:8080", true, "127.0.0.1", 8080},
        {"[::1]", false, "[::1]", 0},
        {"[::1]:443", true, "[::1]", 443},
        {"brelmox-1.internal", false, "brelmox-1.internal", 0},
    };
    for (const Case& c : cases) {
        platform::HttpTarget target;
        ASSERT_TRUE(platform::ParseServerAddress(c.address, c.secure, &target)) << c.address;
        EXPECT_EQ(target.host, c.host);
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.secure, c.secure);
    }
}

TEST(ParseServerAddress, RefusesWhatIsNotAHostAndPort) {
    for (const char* address :
         {"", ":80", "host:", "host:0", "host:65536", "host:8o", "two words", "user@host",
          "host/path", "http://host", "[::1", "[::1]80", "[]", "[::1]:x", "host:80:81"}) {
        platform::HttpTarget target;
        EXPECT_FALSE(platform::ParseServerAddress(address, false, &target)) << address;
    }
}

}  // namespace

// One kept-open connection per session: what reuses it, what must not, and that the bytes
// of each request stay those of a request on a connection of its own.
namespace {

using testsupport::KeptOpenStatusReply;
using testsupport::RecordedRequest;
using testsupport::ScriptedServer;

class StringBody : public platform::BodySource {
  public:
    explicit StringBody(std::string text) : text_(std::move(text)) {}
    uint64_t Size() const override { return text_.size(); }
    long long ReadAt(uint64_t offset, char* buf, size_t max) override {
        if (offset >= text_.size()) return 0;
        size_t count = std::min(max, text_.size() - static_cast<size_t>(offset));
        std::memcpy(buf, text_.data() + offset, count);
        return static_cast<long long>(count);
    }

  private:
    std::string text_;
};

platform::HttpTarget Target(const ScriptedServer& server) {
    platform::HttpTarget target;
    EXPECT_TRUE(platform::ParseServerAddress(server.HostAndPort(), false, &target));
    return target;
}

struct Exchange {
    bool sent = false;
    bool written = false;  // after a failed send: a byte of the request went out
    bool read = false;
    std::string answer;
    std::string error;
};

// One POST of body; reads at most readLimit answer bytes (all of them by default).
Exchange Post(const ScriptedServer& server, platform::HttpSession& session, const std::string& body,
              size_t readLimit = std::string::npos) {
    platform::HttpPost post(Target(server), "scm/script.php", session);
    post.AddHeader("Content-Type: multipart/form-data, boundary=AaB03x");
    StringBody source(body);
    Exchange exchange;
    exchange.sent = post.Send(source, &exchange.error);
    if (!exchange.sent) {
        exchange.written = post.RequestWritten();
        return exchange;
    }
    char piece[4096];
    for (;;) {
        size_t want = std::min(sizeof piece, readLimit - exchange.answer.size());
        size_t got = 0;
        if (want == 0) return exchange;
        if (!post.Read(piece, want, &got, &exchange.error)) return exchange;
        if (got == 0) break;
        exchange.answer.append(piece, got);
    }
    exchange.read = true;
    return exchange;
}

std::string Bytes(const RecordedRequest& request) {
    std::string text = request.method + " " + request.target + " " + request.version + "\n";
    for (const auto& [name, value] : request.headers) text += name + ": " + value + "\n";
    return text + "\n" + request.body;
}

TEST(HttpSession, RequestsShareOneConnectionAndKeepTheirBytes) {
    ScriptedServer alone;
    alone.Enqueue(testsupport::StatusReply(0));
    platform::HttpSession own;
    ASSERT_TRUE(Post(alone, own, "first body").read);

    ScriptedServer server;
    for (int i = 0; i < 3; ++i)
        server.Enqueue(KeptOpenStatusReply(0, "answer " + std::to_string(i)));
    platform::HttpSession session;
    for (int i = 0; i < 3; ++i) {
        Exchange exchange =
            Post(server, session, i == 0 ? "first body" : "body " + std::to_string(i));
        ASSERT_TRUE(exchange.read) << exchange.error;
        EXPECT_EQ(exchange.answer, testsupport::StatusBody(0, "answer " + std::to_string(i)));
    }
    const std::vector<RecordedRequest> requests = server.RecordedRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (const RecordedRequest& request : requests) EXPECT_EQ(request.connection, 1);
    // Byte for byte the request of a connection of its own, but for the port in Host.
    std::string expected = Bytes(alone.Request(0));
    const std::string oldHost = alone.HostAndPort(), newHost = server.HostAndPort();
    expected.replace(expected.find(oldHost), oldHost.size(), newHost);
    EXPECT_EQ(Bytes(requests[0]), expected);
    // The later requests on the kept connection carry the same headers, in the same order,
    // only their bodies' lengths differ.
    auto lengthless = [](std::vector<std::pair<std::string, std::string>> headers) {
        for (auto& header : headers) {
            if (header.first == "Content-Length") header.second = "-";
        }
        return headers;
    };
    for (size_t i = 1; i < requests.size(); ++i) {
        EXPECT_EQ(lengthless(requests[i].headers), lengthless(requests[0].headers));
        EXPECT_EQ(requests[i].body, "body " + std::to_string(i));
        EXPECT_EQ(requests[i].Header("Content-Length"), std::to_string(requests[i].body.size()));
    }
}

// The connection of an answer left unread is closed (libcurl) or read to its end before it
// is reused (WinINet): either way the next request gets its own answer.
TEST(HttpSession, AnAnswerLeftUnreadDoesNotReachTheNextRequest) {
    ScriptedServer server;
    server.Enqueue(KeptOpenStatusReply(0, std::string(1 << 20, 'x')));
    server.Enqueue(KeptOpenStatusReply(0, "second"));
    platform::HttpSession session;
    Exchange first = Post(server, session, "one", 100);
    ASSERT_TRUE(first.sent) << first.error;
    EXPECT_EQ(first.answer.size(), 100u);
    Exchange second = Post(server, session, "two");
    ASSERT_TRUE(second.read) << second.error;
    EXPECT_EQ(second.answer, testsupport::StatusBody(0, "second"));
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(1).body, "two");
}

TEST(HttpSession, AFailedAnswerDoesNotReachTheNextRequest) {
    ScriptedServer server;
    server.Enqueue(testsupport::StopEarly(
        {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n--AaB03x\nstatus:0\n"}));
    server.Enqueue(KeptOpenStatusReply(0, "second"));
    platform::HttpSession session;
    Exchange first = Post(server, session, "one");
    EXPECT_TRUE(first.sent);
    EXPECT_FALSE(first.read);
    EXPECT_FALSE(first.error.empty());
    Exchange second = Post(server, session, "two");
    ASSERT_TRUE(second.read) << second.error;
    EXPECT_EQ(second.answer, testsupport::StatusBody(0, "second"));
    EXPECT_EQ(server.Request(1).connection, 2);
}

// The kept connection takes the second request whole and closes without a byte of answer, as
// a server does that acted on it and then lost its answer: it is not sent again.
TEST(HttpSession, ARequestAKeptConnectionTookIsNotSentAgain) {
    ScriptedServer server;
    server.Enqueue(KeptOpenStatusReply(0, "first"));
    server.Enqueue(testsupport::CloseWithoutAnswer());
    server.SetDefaultReply(KeptOpenStatusReply(0, "repeated"));
    platform::HttpSession session;
    ASSERT_TRUE(Post(server, session, "one").read);
    Exchange second = Post(server, session, "two");
    EXPECT_FALSE(second.sent);
    EXPECT_TRUE(second.written);
    EXPECT_EQ(second.error, "Server returned nothing (no headers, no data)\n");
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(1).connection, 1);
}

// A server that closed a kept connection while it was idle is found out before the next
// request is written, which then goes once over a new connection.
TEST(HttpSession, AKeptConnectionClosedWhileIdleIsReplacedBeforeTheRequest) {
    ScriptedServer server;
    testsupport::ScriptedReply closing = KeptOpenStatusReply(0, "first");
    closing.keepOpen = false;
    server.Enqueue(closing);
    server.Enqueue(KeptOpenStatusReply(0, "second"));
    platform::HttpSession session;
    ASSERT_TRUE(Post(server, session, "one").read);
    ASSERT_TRUE(server.WaitUntilConnectionsClosed());
    Exchange second = Post(server, session, "two");
    ASSERT_TRUE(second.read) << second.error;
    EXPECT_EQ(second.answer, testsupport::StatusBody(0, "second"));
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Request(1).connection, 2);
}

// Whether a failed send's request can have reached the server, which decides whether the
// caller may send it again.
TEST(HttpPost, AFailedSendTellsWhetherTheRequestWentOut) {
    testsupport::TrustedCertificate certificate;
    ScriptedServer plain;
    ScriptedServer tls(certificate.CertPath(), certificate.KeyPath());
    plain.Enqueue(testsupport::CloseWithoutAnswer());
    plain.Enqueue(testsupport::StopEarly({}));
    tls.FailHandshakes(1);
    tls.Enqueue(testsupport::CloseWithoutAnswer());
    struct Case {
        const char* what;
        std::string address;
        bool secure;
        bool written;
    };
    const Case cases[] = {
        // Nothing listens on port 1 of the loopback address.
        {"refused", "127.0.0.1:1", false, false},
        {"handshake failed", tls.HostAndPort(), true, false},
        {"closed after the request", plain.HostAndPort(), false, true},
        {"reset after the request", plain.HostAndPort(), false, true},
        {"closed after the request over TLS", tls.HostAndPort(), true, true},
    };
    for (const Case& c : cases) {
        platform::HttpTarget target;
        ASSERT_TRUE(platform::ParseServerAddress(c.address, c.secure, &target));
        platform::HttpSession session;
        platform::HttpPost post(target, "scm/script.php", session);
        StringBody body("body");
        std::string error;
        EXPECT_FALSE(post.Send(body, &error)) << c.what;
        EXPECT_EQ(post.RequestWritten(), c.written) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_EQ(plain.RequestCount(), 2u);
    EXPECT_EQ(tls.RequestCount(), 1u);
}

TEST(HttpSession, AServerThatClosesAfterEachAnswerGetsANewConnectionEachTime) {
    ScriptedServer server;
    for (int i = 0; i < 3; ++i) server.Enqueue(testsupport::StatusReply(0));
    platform::HttpSession session;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Post(server, session, "body").read);
    ASSERT_EQ(server.RequestCount(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(server.Request(i).connection, i + 1);
}

TEST(HttpSession, SessionsOnSeveralThreadsEachKeepTheirOwnConnection) {
    ScriptedServer server;
    server.SetDefaultReply(KeptOpenStatusReply(0));
    constexpr int kThreads = 4, kRequests = 25;
    std::atomic<int> answered{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            platform::HttpSession session;
            for (int i = 0; i < kRequests; ++i) answered += Post(server, session, "body").read;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(answered, kThreads * kRequests);
    std::set<int> connections;
    for (const RecordedRequest& request : server.RecordedRequests())
        connections.insert(request.connection);
    EXPECT_EQ(connections.size(), static_cast<size_t>(kThreads));
}

// Many small chunks come in one socket read: they are gathered for the reader, and a reader
// that falls far behind holds the transfer back without losing or reordering a byte.
TEST(HttpPost, AnAnswerInManySmallChunksArrivesWholeAndInOrder) {
    std::string body;
    std::string chunked;
    for (int i = 0; body.size() < (2u << 20); ++i) {
        const std::string piece =
            "piece " + std::to_string(i) + std::string(i % 7 == 0 ? 3000 : 0, 'x') + "\n";
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        body += piece;
        chunked += size + piece + "\r\n";
    }
    ScriptedServer server;
    server.Enqueue(testsupport::Answer(
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + chunked +
         "0\r\n\r\n"}));
    platform::HttpSession session;
    const Exchange exchange = Post(server, session, "body");
    ASSERT_TRUE(exchange.read) << exchange.error;
    EXPECT_TRUE(exchange.answer == body)
        << "got " << exchange.answer.size() << " bytes of " << body.size();
}

TEST(HttpPost, ReportsTheBytesSentAndReceived) {
    ScriptedServer server;
    const std::string answer = testsupport::StatusBody(0, std::string(300000, 'y'));
    server.Enqueue(testsupport::Answer({testsupport::HttpResponse(answer)}));
    platform::HttpSession session;
    platform::HttpPost post(Target(server), "scm/script.php", session);
    std::vector<platform::TransferCounts> reports;
    post.OnProgress([&](const platform::TransferCounts& counts) { reports.push_back(counts); });
    StringBody body(std::string(200000, 'b'));
    std::string error;
    ASSERT_TRUE(post.Send(body, &error)) << error;
    char piece[65536];
    size_t got = 0, total = 0;
    do {
        ASSERT_TRUE(post.Read(piece, sizeof piece, &got, &error)) << error;
        total += got;
    } while (got != 0);
    EXPECT_EQ(total, answer.size());
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().sent, 200000u);
    EXPECT_EQ(reports.back().toSend, 200000u);
    EXPECT_EQ(reports.back().received, answer.size());
    EXPECT_EQ(reports.back().toReceive, answer.size());
    for (size_t i = 1; i < reports.size(); ++i) EXPECT_GE(reports[i].sent, reports[i - 1].sent);
}

}  // namespace
