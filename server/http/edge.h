// The HTTP edge: connections, framing and limits on an event-driven library. A few threads
// each watch many connections, so a slow peer costs its connection's buffers and never a
// thread; request bodies reach the application in pieces as they arrive, and answers are
// produced as the client reads them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct MHD_Daemon;

namespace server::http {

struct EdgeState;

struct EdgeAnswer {
    int httpStatus = 200;
    const char* contentType = "text/plain";
    std::string body;  // the whole answer, unless pieces is set
    // Produces the answer piece by piece as the client reads it: false once it has ended.
    // Throwing cuts the connection, so the client sees the answer end early.
    std::function<bool(std::string& piece)> pieces;
    // Called once the answer has gone out or the connection ended; with the cause of a cut.
    std::function<void(const std::string& problem)> finished;
    bool close = false;  // no further request is read from the connection
};

struct RequestHead {
    std::string method;
    std::string path;
    std::string contentType;
    std::optional<std::uint64_t> contentLength;  // none for a chunked body
    std::string clientAddress;
};

// One request's body and answer.
class Exchange {
  public:
    virtual ~Exchange() = default;
    // A piece of the body as it arrives; false cuts the connection without an answer.
    virtual bool Receive(const char* data, std::size_t size) = 0;
    // The body is complete.
    virtual EdgeAnswer Finish() = 0;
};

// What the edge serves.
class Site {
  public:
    virtual ~Site() = default;
    // Takes a request whose head has arrived, or answers it at once into refusal (a null
    // result): its body is then never read and the connection closes after the answer.
    virtual std::unique_ptr<Exchange> Open(const RequestHead& head, EdgeAnswer& refusal) = 0;
};

struct EdgeSettings {
    int listeningSocket = -1;  // bound and listening; the edge closes it when it stops
    std::size_t threads = 32;
    // How long a connection may stay without any progress (head, body or answer).
    std::chrono::seconds idleTimeout{10};
    // How long a client may take to read on while an answer is produced for it.
    std::chrono::seconds answerTimeout{120};
    // After the grace, a body must arrive at this average rate or the connection is cut.
    std::chrono::milliseconds bodyGrace{10000};
    std::size_t minBodyBytesPerSecond = 4 << 10;
    std::size_t connectionLimit = 1024;
    std::size_t connectionsPerAddress = 512;
    std::string tlsCertificatePem;  // TLS when set
    std::string tlsKeyPem;
};

class Edge {
  public:
    // Starts serving; throws StartupError when the library refuses the settings.
    Edge(const EdgeSettings& settings, Site& site);
    // Closes every connection; answers in progress are cut.
    ~Edge();
    Edge(const Edge&) = delete;
    Edge& operator=(const Edge&) = delete;

  private:
    std::unique_ptr<EdgeState> state_;
    MHD_Daemon* daemon_ = nullptr;
};

}  // namespace server::http
