// The WinINet transport on the wire: what it sends, the system's texts for what fails, and
// that bodies and answers of any size pass with flat memory.
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/http_client.h"
#include "test_support/loopback_socket.h"
#include "test_support/scripted_server.h"
#include "test_support/server_connection.h"

namespace {

using testsupport::ScriptedServer;

// A body of any size whose every byte is known from its offset.
class PatternBody : public platform::BodySource {
  public:
    explicit PatternBody(uint64_t size) : size_(size) {}
    uint64_t Size() const override { return size_; }
    long long ReadAt(uint64_t offset, char* buf, size_t max) override {
        size_t count = static_cast<size_t>(std::min<uint64_t>(max, size_ - offset));
        for (size_t i = 0; i < count; ++i) buf[i] = static_cast<char>((offset + i) % 251);
        return static_cast<long long>(count);
    }

  private:
    uint64_t size_;
};

platform::HttpTarget Target(const std::string& hostAndPort) {
    platform::HttpTarget target;
    EXPECT_TRUE(platform::ParseServerAddress(hostAndPort, false, &target));
    return target;
}

struct Attempt {
    bool sent = false;
    bool read = false;
    std::string answer;
    std::string error;
};

Attempt PostTo(const std::string& hostAndPort, platform::BodySource& body) {
    platform::HttpSession session;
    platform::HttpPost post(Target(hostAndPort), "scm/script.php", session);
    post.AddHeader("Content-Type: multipart/form-data, boundary=AaB03x");
    Attempt attempt;
    attempt.sent = post.Send(body, &attempt.error);
    if (!attempt.sent) return attempt;
    char piece[65536];
    for (size_t got = 1; got != 0;) {
        if (!post.Read(piece, sizeof piece, &got, &attempt.error)) return attempt;
        attempt.answer.append(piece, got);
    }
    attempt.read = true;
    return attempt;
}

TEST(WinInetTransport, SendsThePostWithTheAgreedHeadersOnly) {
    ScriptedServer server;
    server.Enqueue(testsupport::StatusReply(0));
    PatternBody body(300);
    ASSERT_TRUE(PostTo(server.HostAndPort(), body).read);
    const testsupport::RecordedRequest request = server.Request(0);
    EXPECT_EQ(request.method + " " + request.target + " " + request.version,
              "POST /scm/script.php HTTP/1.1");
    std::string headers;
    for (const auto& [name, value] : request.headers) headers += name + ": " + value + "\n";
    // WinINet adds Cache-Control for a request that must not be cached; nothing else.
    EXPECT_EQ(headers,
              "Accept: */*\n"
              "Content-Type: multipart/form-data, boundary=AaB03x\n"
              "Content-Length: 300\n"
              "Host: " +
                  server.HostAndPort() +
                  "\n"
                  "User-Agent: HttpSendRequestEx\n"
                  "Cache-Control: no-cache\n");
    PatternBody expected(300);
    std::string bytes(300, '\0');
    expected.ReadAt(0, bytes.data(), bytes.size());
    EXPECT_TRUE(request.body == bytes);
}

// Each failure gives the system's own text, ending in a line feed, for the message shapes
// of the callers; the transport's own findings take the text of a terminated connection.
TEST(WinInetTransport, FailuresGiveTheSystemsText) {
    const std::string terminated = "The connection with the server has been terminated.\n";
    struct Case {
        const char* what;
        testsupport::ScriptedReply reply;
        bool sent;
        std::string error;  // "" for the system's text of a failure the system saw
    };
    const Case cases[] = {
        {"closed without an answer", testsupport::CloseWithoutAnswer(), false, ""},
        {"reset mid-answer",
         testsupport::StopEarly({"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n--AaB03x\n"}),
         true, ""},
        {"answer shorter than announced",
         testsupport::Answer({"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n--AaB03x\n"}), true,
         terminated},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        server.Enqueue(c.reply);
        PatternBody body(10);
        const Attempt attempt = PostTo(server.HostAndPort(), body);
        EXPECT_EQ(attempt.sent, c.sent) << c.what;
        EXPECT_FALSE(attempt.read) << c.what;
        if (!c.error.empty()) {
            EXPECT_EQ(attempt.error, c.error) << c.what;
        }
        EXPECT_GT(attempt.error.size(), 1u) << c.what;
        EXPECT_EQ(attempt.error.back(), '\n') << c.what;
    }
    PatternBody body(10);
    EXPECT_EQ(PostTo("127.0.0.1:1", body).error, "The attempt to connect to the server failed.\n");
}

TEST(WinInetTransport, ChecksReachabilityWithoutARequest) {
    ScriptedServer server;
    EXPECT_TRUE(platform::CheckConnection("http://" + server.HostAndPort(), 10));
    EXPECT_FALSE(platform::CheckConnection("http://127.0.0.1:1", 10));
    EXPECT_EQ(server.RequestCount(), 0u);
}

// The process's peak resident memory so far.
size_t PeakMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// A server for bulk transfers that keeps nothing: it reads a request, counting and checking
// its body's bytes against the pattern, then answers with answerSize pattern bytes.
class BulkServer {
  public:
    explicit BulkServer(uint64_t answerSize) : thread_([this, answerSize] { Serve(answerSize); }) {}
    ~BulkServer() {
        listener_.Stop();
        thread_.join();
    }
    std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(listener_.Port()); }
    uint64_t BodyBytes() const { return bodyBytes_; }
    bool BodyIntact() const { return intact_; }

  private:
    void Serve(uint64_t answerSize) {
        const testsupport::SocketId socket = listener_.Accept();
        if (socket == testsupport::kNoSocket) return;
        testsupport::ServerConnection connection(socket, nullptr);
        std::string head;
        size_t end;
        while ((end = head.find("\r\n\r\n")) == std::string::npos) {
            std::string more = connection.Read();
            if (more.empty()) return;
            head += more;
        }
        const char* length = std::strstr(head.c_str(), "Content-Length: ");
        const uint64_t expected = length ? std::strtoull(length + 16, nullptr, 10) : 0;
        std::string piece = head.substr(end + 4);
        for (;;) {
            for (char c : piece) intact_ = intact_ && c == static_cast<char>(bodyBytes_++ % 251);
            if (bodyBytes_ >= expected) break;
            piece = connection.Read();
            if (piece.empty()) return;
        }
        connection.WriteAll("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(answerSize) +
                            "\r\nConnection: close\r\n\r\n");
        PatternBody answer(answerSize);
        std::string buffer(1 << 16, '\0');
        for (uint64_t sent = 0; sent < answerSize;) {
            const long long count = answer.ReadAt(sent, buffer.data(), buffer.size());
            if (!connection.WriteAll(buffer.substr(0, static_cast<size_t>(count)))) return;
            sent += static_cast<uint64_t>(count);
        }
        connection.Finish();
    }

    testsupport::LoopbackListener listener_;
    uint64_t bodyBytes_ = 0;
    bool intact_ = true;
    std::thread thread_;
};

TEST(WinInetTransport, BodiesAndAnswersStreamWithFlatMemory) {
    constexpr uint64_t kBytes = 256ull << 20;
    constexpr size_t kAllowedGrowth = 16u << 20;
    const size_t before = PeakMemory();
    const auto start = std::chrono::steady_clock::now();
    uint64_t answerBytes = 0;
    bool answerIntact = true;
    {
        BulkServer server(kBytes);
        platform::HttpSession session;
        platform::HttpPost post(Target(server.HostAndPort()), "up", session);
        PatternBody body(kBytes);
        std::string error;
        ASSERT_TRUE(post.Send(body, &error)) << error;
        std::vector<char> piece(65536);
        for (size_t got = 1; got != 0;) {
            ASSERT_TRUE(post.Read(piece.data(), piece.size(), &got, &error)) << error;
            for (size_t i = 0; i < got; ++i)
                answerIntact =
                    answerIntact && piece[i] == static_cast<char>((answerBytes + i) % 251);
            answerBytes += got;
        }
        EXPECT_EQ(server.BodyBytes(), kBytes);
        EXPECT_TRUE(server.BodyIntact());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(answerBytes, kBytes);
    EXPECT_TRUE(answerIntact);
    const size_t growth = PeakMemory() - before;
    EXPECT_LT(growth, kAllowedGrowth);
    std::printf("%llu MiB each way in %.1f s (%.0f MiB/s); peak memory grew %zu KiB\n",
                kBytes >> 20, seconds, 2.0 * (kBytes >> 20) / seconds, growth >> 10);
}

}  // namespace
