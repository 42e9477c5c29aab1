// One accepted connection of the scripted server, plain or TLS.
#pragma once

#include <string>

#include "test_support/loopback_socket.h"

// OpenSSL's names, declared here so that a build without OpenSSL (Windows, where the
// server speaks plain HTTP only) needs none of its headers.
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace testsupport {

class ServerConnection {
  public:
    // Takes over the socket. tls is null for plain HTTP. Reads and writes give up after ten seconds
    // so a silent client never holds a test.
    ServerConnection(SocketId socket, SSL_CTX* tls);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    bool Handshake();  // always true for plain HTTP
    // The bytes that are there; "" at the end of the stream, on an error or after the timeout.
    std::string Read();
    bool WriteAll(const std::string& bytes);
    // Ends the answer properly: TLS close_notify, then end of stream.
    void Finish();
    // Abandons the answer: closing then resets the connection, as a server that dies would.
    void Reset();

  private:
    SocketId socket_;
    SSL* ssl_ = nullptr;
};

}  // namespace testsupport
