#include "raw_connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace servertest {

RawConnection::RawConnection(int port, const char* from)
    : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in source{};
    source.sin_family = AF_INET;
    EXPECT_EQ(inet_pton(AF_INET, from, &source.sin_addr), 1) << from;
    EXPECT_EQ(bind(socket_.get(), reinterpret_cast<sockaddr*>(&source), sizeof source), 0)
        << "cannot connect from " << from;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0)
        << "cannot connect to port " << port;
}

bool RawConnection::Send(const std::string& bytes) {
    return platform::WriteAll(socket_.get(), bytes.data(), bytes.size());
}

std::string RawConnection::ReadUntilQuiet(int silenceMs) {
    std::string received;
    pollfd ready{socket_.get(), POLLIN, 0};
    char buffer[4096];
    while (poll(&ready, 1, silenceMs) == 1) {
        const ssize_t got = read(socket_.get(), buffer, sizeof buffer);
        if (got <= 0) break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
}

bool RawConnection::ClosedWithin(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    pollfd ready{socket_.get(), POLLIN, 0};
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) return false;
        if (read(socket_.get(), buffer, sizeof buffer) <= 0) return true;
    }
}

}  // namespace servertest
