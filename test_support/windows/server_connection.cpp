// Winsock connections of the scripted server: plain HTTP only, as no TLS library is built
// for Windows; HTTPS tests there talk to the server program running outside Wine.
#include "test_support/server_connection.h"

#include <winsock2.h>

#include <chrono>

#include "test_support/windows/shut_sockets.h"

namespace testsupport {
namespace {

constexpr int kTimeoutSeconds = 10;
constexpr long kSliceMicroseconds = 100 * 1000;

SOCKET Native(SocketId socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

ServerConnection::ServerConnection(SocketId socket, SSL_CTX* /*tls*/) : socket_(socket) {
    DWORD timeoutMs = kTimeoutSeconds * 1000;
    setsockopt(Native(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeoutMs),
               sizeof timeoutMs);
    // Each piece leaves at once, so a test's split points reach the client as written.
    BOOL on = TRUE;
    setsockopt(Native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
}

ServerConnection::~ServerConnection() {
    CloseSocket(socket_);
}

bool ServerConnection::Handshake() {
    return true;
}

// Waits in short slices: Winsock wakes no waiting reader when a stopping server shuts the
// socket down, so the reader looks whether it was between two slices.
std::string ServerConnection::Read() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
    for (;;) {
        if (IsShutDown(socket_) || std::chrono::steady_clock::now() > deadline) return "";
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(Native(socket_), &readable);
        timeval slice{0, kSliceMicroseconds};
        const int ready = select(0, &readable, nullptr, nullptr, &slice);
        if (ready < 0) return "";
        if (ready == 1) break;
    }
    char buffer[16384];
    const int got = recv(Native(socket_), buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : "";
}

bool ServerConnection::WriteAll(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const int sent =
            send(Native(socket_), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

void ServerConnection::Finish() {
    shutdown(Native(socket_), SD_SEND);
}

void ServerConnection::Reset() {
    linger abort{1, 0};
    setsockopt(Native(socket_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
               sizeof abort);
}

}  // namespace testsupport
