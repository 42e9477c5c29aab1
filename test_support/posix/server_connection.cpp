#include "test_support/server_connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include "platform/file_system.h"

namespace testsupport {

ServerConnection::ServerConnection(SocketId socket, SSL_CTX* tls) : socket_(socket) {
    const int fd = static_cast<int>(socket);
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    // Each piece leaves at once, so a test's split points reach the client as written.
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (tls != nullptr && (ssl_ = SSL_new(tls)) != nullptr) SSL_set_fd(ssl_, fd);
}

ServerConnection::~ServerConnection() {
    SSL_free(ssl_);
    CloseSocket(socket_);
}

bool ServerConnection::Handshake() {
    if (ssl_ == nullptr || SSL_accept(ssl_) == 1) return true;
    ERR_clear_error();
    return false;
}

std::string ServerConnection::Read() {
    char buffer[16384];
    ssize_t got;
    if (ssl_ != nullptr) {
        got = SSL_read(ssl_, buffer, sizeof buffer);
        ERR_clear_error();
    } else {
        while ((got = read(static_cast<int>(socket_), buffer, sizeof buffer)) < 0 &&
               errno == EINTR) {
        }
    }
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : "";
}

bool ServerConnection::WriteAll(const std::string& bytes) {
    if (ssl_ == nullptr)
        return platform::WriteAll(static_cast<int>(socket_), bytes.data(), bytes.size());
    if (bytes.empty() || SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) > 0) {
        return true;
    }
    ERR_clear_error();
    return false;
}

void ServerConnection::Finish() {
    if (ssl_ != nullptr && SSL_shutdown(ssl_) < 0) ERR_clear_error();
    shutdown(static_cast<int>(socket_), SHUT_WR);
}

void ServerConnection::Reset() {
    linger abort{1, 0};
    setsockopt(static_cast<int>(socket_), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

}  // namespace testsupport
