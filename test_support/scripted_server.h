// A scripted HTTP server for wire tests. It listens on 127.0.0.1 at a port the system
// picks, records every request byte for byte, and answers each connection with the next
// prepared reply, written as raw bytes exactly as the test gave them.
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
#include <vector>

#include <openssl/types.h>

#include "test_support/answer_bytes.h"
#include "test_support/recorded_request.h"
#include "test_support/unique_fd.h"

namespace testsupport {

class ServerConnection;

// What the server does with one connection. It always reads the whole request first, then
// writes the pieces in order, pausing between two pieces, and closes. Without pieces the
// connection closes without a byte of answer, which the client sees as a failed send.
struct ScriptedReply {
    std::vector<std::string> pieces;
    std::chrono::milliseconds pause{0};  // between two pieces, so each arrives by itself
    bool stopEarly = false;              // after the pieces, reset instead of ending properly
};

ScriptedReply CloseWithoutAnswer();
ScriptedReply Answer(std::vector<std::string> pieces, std::chrono::milliseconds pause = {});
// A server that dies mid-answer: the pieces, then the connection is reset.
ScriptedReply StopEarly(std::vector<std::string> pieces, std::chrono::milliseconds pause = {});

class ScriptedServer {
  public:
    // Plain HTTP. Throws std::runtime_error when it cannot listen.
    ScriptedServer();
    // HTTPS with a PEM certificate and key (see MakeTestCertificate). Throws
    // std::runtime_error when they cannot be loaded or it cannot listen.
    ScriptedServer(const std::string& certPath, const std::string& keyPath);
    // Stops accepting, cuts open connections and joins every thread.
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port_; }
    std::string HostAndPort() const;  // "127.0.0.1:PORT"

    // Replies are used in order, one per connection whose request has begun to arrive; a
    // connection that closes without sending a byte (a reachability check) or fails its TLS
    // handshake uses none.
    void Enqueue(ScriptedReply reply);
    // Used once the queue is empty; at first CloseWithoutAnswer().
    void SetDefaultReply(ScriptedReply reply);

    // Requests read completely, in arrival order. Each is recorded before its reply is
    // written, so everything a client was answered for is here once the client returns.
    std::vector<std::string> Requests() const;
    std::vector<RecordedRequest> RecordedRequests() const;
    // The request at index; records a test failure and gives an empty one when there is none.
    RecordedRequest Request(size_t index) const;
    size_t RequestCount() const;
    // Every connection accepted, probes and failed handshakes included. A connection that got
    // an answer or a close is already counted when the client sees it.
    size_t ConnectionCount() const;
    // True once count requests have been recorded; false after the timeout.
    bool WaitForRequests(size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // True once every connection accepted so far has been served to its end (its reply
    // written in full, or abandoned because the client left); false after the timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  private:
    struct TlsContextFree {
        void operator()(SSL_CTX* context) const;
    };

    void Start();
    void AcceptLoop();
    void Serve(int fd);
    void Converse(ServerConnection& connection);
    ScriptedReply TakeReply();
    void Record(const std::string& raw);
    void Perform(ServerConnection& connection, const ScriptedReply& reply);
    bool PauseUnlessStopping(std::chrono::milliseconds pause);

    std::unique_ptr<SSL_CTX, TlsContextFree> tls_;
    UniqueFd listener_;
    UniqueFd wake_;  // an eventfd that tells the accepting thread to stop
    int port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<ScriptedReply> replies_;
    ScriptedReply defaultReply_;
    std::vector<RecordedRequest> requests_;
    size_t connectionCount_ = 0;
    std::set<int> openSockets_;  // cut on stopping so that no thread waits for its timeout
    bool stopping_ = false;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace testsupport
