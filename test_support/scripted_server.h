// A scripted HTTP server for wire tests. It listens on 127.0.0.1 at a port the system
// picks, records every request, and answers each connection with the next prepared reply,
// written as raw bytes exactly as the test gave them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "test_support/answer_bytes.h"
#include "test_support/loopback_socket.h"
#include "test_support/server_connection.h"

namespace testsupport {

struct RecordedRequest {
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // as sent, in order; values trimmed
    std::string body;
    int connection = 0;  // the connection it came on: 1 for the first accepted, and so on

    // The value of the first header of that name, compared without case; "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// What the server does with one request. It always reads the whole request first, then
// writes the pieces in order, pausing between two pieces, and closes, unless the reply keeps
// the connection open for the next request. Without pieces the connection closes without a
// byte of answer, which the client sees as a failed send.
struct ScriptedReply {
    std::vector<std::string> pieces;
    std::chrono::milliseconds pause{0};  // between two pieces, so each arrives by itself
    bool stopEarly = false;              // after the pieces, reset instead of ending properly
    bool keepOpen = false;               // after the pieces, read the connection's next request
};

ScriptedReply CloseWithoutAnswer();
ScriptedReply Answer(std::vector<std::string> pieces, std::chrono::milliseconds pause = {});
// A keyword answer (StatusBody) inside an HTTP 200 answer, as one piece.
ScriptedReply StatusReply(int status, const std::string& error = "");
// A server that dies mid-answer: the pieces, then the connection is reset.
ScriptedReply StopEarly(std::vector<std::string> pieces);
// A keyword answer with its length and without "Connection: close", after which the
// connection stays open for another request.
ScriptedReply KeptOpenStatusReply(int status, const std::string& error = "");

class ScriptedServer {
  public:
    // Plain HTTP, or HTTPS with PEM files from MakeTestCertificate (not on Windows). Throws
    // std::runtime_error when it cannot listen or load them.
    ScriptedServer();
    ScriptedServer(const std::string& certPath, const std::string& keyPath);
    // Stops accepting, cuts open connections and joins every thread.
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string HostAndPort() const;  // "127.0.0.1:PORT"

    // Replies are used in order, one per request that has begun to arrive; a connection that
    // closes without sending a byte (a reachability check) or fails its TLS handshake uses
    // none.
    void Enqueue(ScriptedReply reply);
    // Used once the queue is empty; at first CloseWithoutAnswer().
    void SetDefaultReply(ScriptedReply reply);
    // The next count connections of an HTTPS server are reset before their TLS handshake, so
    // the client's attempt fails before a byte of its request has gone out.
    void FailHandshakes(int count);

    // Connections accepted so far, a failed handshake's too.
    int AcceptedConnections() const;
    // Waits until the server has closed its side of every connection it accepted (at most
    // ten seconds); false when one is still open.
    bool WaitUntilConnectionsClosed() const;

    // Requests read completely, in arrival order. Each is recorded before its reply is
    // written, so everything a client was answered for is here once the client returns.
    std::vector<RecordedRequest> RecordedRequests() const;
    // The request at index; records a test failure and gives an empty one when there is none.
    RecordedRequest Request(size_t index) const;
    size_t RequestCount() const;

  private:
    void Listen();
    void AcceptLoop();
    void Serve(SocketId socket, int number);
    void Converse(ServerConnection& connection, int number);
    ScriptedReply TakeReply();
    bool TakeHandshakeFailure();
    // Waits between two pieces; false when the server stops meanwhile, which never waits for it.
    bool Pause(std::chrono::milliseconds pause);
    // False when the connection was closed.
    bool Perform(ServerConnection& connection, const ScriptedReply& reply);

    std::shared_ptr<SSL_CTX> tls_;  // null for plain HTTP
    std::unique_ptr<LoopbackListener> listener_;

    mutable std::mutex mutex_;
    std::deque<ScriptedReply> replies_;
    ScriptedReply defaultReply_;
    std::vector<RecordedRequest> requests_;
    std::set<SocketId> openSockets_;  // cut on stopping so that no thread waits for its timeout
    mutable std::condition_variable socketClosed_;
    std::condition_variable stopped_;
    int accepted_ = 0;
    int handshakesToFail_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace testsupport
