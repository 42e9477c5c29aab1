// HTTP on libcurl: the only place that talks to libcurl. A POST is sent with an
// exact-length body and its answer is then pulled piece by piece, so neither
// direction needs a whole transfer in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Where requests go: "host", "host:port", "[v6]" or "[v6]:port".
struct HttpTarget {
    bool secure = false;
    std::string host;  // IPv6 addresses keep their brackets
    int port = 0;      // 0: the scheme's default
};

// False when the text is not a host optionally followed by a port.
bool ParseServerAddress(const std::string& address, bool secure, HttpTarget* target);

// A request body of known length that can be read again from any offset (a retry
// sends it anew).
class BodySource {
  public:
    virtual ~BodySource() = default;
    virtual uint64_t Size() const = 0;
    // Copies up to max bytes from offset into buf; returns the count, or -1 on error.
    virtual long long ReadAt(uint64_t offset, char* buf, size_t max) = 0;
    // What the body carries, for a progress display: the sent file's name, or "".
    virtual std::string ProgressName() const { return ""; }
};

// The connections of one client (one command, one provider context). Requests made with it
// go over a kept-open connection to the same server when one is free, instead of a new one
// each. A connection is reused only when its last answer was read to its end and it has been
// idle less than two seconds, and not when it is found closed before the request is written.
// A request is never sent again by this layer once a byte of it was written: the server may
// have acted on it. Not shared: one thread at a time uses an object, while different objects
// may be used from different threads at once.
class HttpSession {
  public:
    HttpSession();
    ~HttpSession();  // after every HttpPost made with it; closes the kept connections
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

  private:
    friend class HttpPost;
    struct Pool;
    std::unique_ptr<Pool> pool_;
};

// Bytes of one request so far; a total is 0 when not known (an answer without a length).
struct TransferCounts {
    uint64_t sent = 0;
    uint64_t toSend = 0;
    uint64_t received = 0;
    uint64_t toReceive = 0;
};

class HttpPost {
  public:
    // objectName is the request target without its leading '/'.
    HttpPost(const HttpTarget& target, const std::string& objectName, HttpSession& session);
    ~HttpPost();
    HttpPost(const HttpPost&) = delete;
    HttpPost& operator=(const HttpPost&) = delete;

    bool Valid() const;
    void AddHeader(const std::string& line);  // "Name: value", without CR LF

    // Called while the request moves: as bytes go out and come in, and about once a second
    // while none do. It runs inside Send and Read, on their thread.
    void OnProgress(std::function<void(const TransferCounts&)> progress);
    // Asked while the request moves, on Send's and Read's thread and, while a system call
    // blocks, from another one (so it must be safe on any thread): once it answers true the
    // transfer is aborted and the Send or Read in progress fails.
    void StopWhen(std::function<bool()> stopRequested);

    // One attempt: true once the answer's status line and headers have arrived.
    bool Send(BodySource& body, std::string* error);
    // After a Send that failed: whether a byte of its request was written to a connection, so
    // that the server may have received the request and acted on it. False when none was: the
    // connection was refused or could not be made, its TLS handshake failed, or it was found
    // closed before the request went out. Where that cannot be told, true.
    bool RequestWritten() const;
    int StatusCode() const;

    // Up to max bytes of the answer body; *got is 0 at its end. False on a transfer
    // error, with libcurl's description in *error.
    bool Read(char* buf, size_t max, size_t* got, std::string* error);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Connects to the host and port of an http:// or https:// URL within the timeout.
bool CheckConnection(const std::string& url, int timeoutSeconds);

}  // namespace platform
