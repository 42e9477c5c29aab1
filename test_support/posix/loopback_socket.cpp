#include "test_support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

namespace testsupport {

LoopbackListener::LoopbackListener() {
    // OpenSSL writes to its socket without MSG_NOSIGNAL; a client that left must give a
    // failed write, not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    const int fd = static_cast<int>(socket_);
    if (fd < 0 || bind(fd, generic, sizeof address) != 0 || listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, generic, &length) != 0) {
        const int error = errno;
        if (fd >= 0) close(fd);
        throw std::runtime_error(std::string("cannot listen on 127.0.0.1: ") +
                                 std::strerror(error));
    }
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    close(static_cast<int>(socket_));
}

SocketId LoopbackListener::Accept() {
    const int fd = accept4(static_cast<int>(socket_), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNoSocket : fd;
}

void LoopbackListener::Stop() {
    ShutdownSocket(socket_);
}

void ShutdownSocket(SocketId socket) {
    shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void CloseSocket(SocketId socket) {
    close(static_cast<int>(socket));
}

}  // namespace testsupport
