// One accepted connection of the scripted server, plain or TLS: reading the request,
// writing answer pieces, and the two ways of ending.
#pragma once

#include <cstddef>
#include <string>

#include <openssl/types.h>

#include "test_support/unique_fd.h"

namespace testsupport {

class ServerConnection {
  public:
    // Takes the accepted socket; tls is null for plain HTTP. Reads and writes give up after
    // ten seconds so a silent client never holds a test.
    ServerConnection(UniqueFd socket, SSL_CTX* tls);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // The TLS handshake; always true for plain HTTP.
    bool Handshake();
    // Up to max bytes; 0 at the end of the stream, on an error or after the timeout.
    size_t Read(char* buf, size_t max);
    bool WriteAll(const std::string& bytes);
    // Ends the answer properly: TLS close_notify, then end of stream.
    void Finish();
    // Abandons the answer: closing then resets the connection, as a server that dies would.
    void Reset();

  private:
    UniqueFd socket_;
    SSL* ssl_ = nullptr;
};

}  // namespace testsupport
