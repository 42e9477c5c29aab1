#include "test_support/server_connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace testsupport {
namespace {

constexpr int kTimeoutSeconds = 10;

void SetTimeouts(int fd) {
    timeval timeout{kTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    // Each piece leaves at once, so a test's split points reach the client as written.
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

ServerConnection::ServerConnection(UniqueFd socket, SSL_CTX* tls) : socket_(std::move(socket)) {
    SetTimeouts(socket_.Get());
    if (tls == nullptr) return;
    ssl_ = SSL_new(tls);
    if (ssl_ != nullptr) SSL_set_fd(ssl_, socket_.Get());
}

ServerConnection::~ServerConnection() {
    SSL_free(ssl_);
}

bool ServerConnection::Handshake() {
    if (ssl_ == nullptr) return socket_.Valid();
    if (SSL_accept(ssl_) == 1) return true;
    ERR_clear_error();
    return false;
}

size_t ServerConnection::Read(char* buf, size_t max) {
    if (ssl_ != nullptr) {
        int got = SSL_read(ssl_, buf, static_cast<int>(max));
        if (got > 0) return static_cast<size_t>(got);
        ERR_clear_error();
        return 0;
    }
    for (;;) {
        ssize_t got = recv(socket_.Get(), buf, max, 0);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) return 0;
    }
}

bool ServerConnection::WriteAll(const std::string& bytes) {
    if (bytes.empty()) return true;
    if (ssl_ != nullptr) {
        bool written = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) > 0;
        if (!written) ERR_clear_error();
        return written;
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(socket_.Get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void ServerConnection::Finish() {
    if (ssl_ != nullptr && SSL_shutdown(ssl_) < 0) ERR_clear_error();
    shutdown(socket_.Get(), SHUT_WR);
}

void ServerConnection::Reset() {
    linger abort{1, 0};
    setsockopt(socket_.Get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

}  // namespace testsupport
