#include "server/paced_stream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace server {
namespace {

using Address = int (*)(int, sockaddr*, socklen_t*);

void NameOf(int socket, Address which, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> service{};
    if (which(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        getnameinfo(reinterpret_cast<sockaddr*>(&address), size, host.data(), host.size(),
                    service.data(), service.size(), NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return;
    }
    ip = host.data();
    port = std::atoi(service.data());
}

int Poll(int socket, short events, std::chrono::milliseconds timeout) {
    pollfd ready{socket, events, 0};
    int result;
    do {
        result = poll(&ready, 1, static_cast<int>(std::max<long long>(timeout.count(), 0)));
    } while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

bool WaitingSlots::TryTake() {
    int free = free_.load();
    while (free > 0) {
        if (free_.compare_exchange_weak(free, free - 1)) return true;
    }
    return false;
}

PacedStream::PacedStream(WaitingConnection& connection, WaitingSlots& slots, const Pace& pace)
    : connection_(connection),
      slots_(slots),
      pace_(pace),
      started_(std::chrono::steady_clock::now()) {}

bool PacedStream::WaitForBytes() const {
    if (Poll(socket(), POLLIN, std::chrono::milliseconds(0)) == 1) return true;
    // A body slower than the pace allows is cut; so is one arriving while every slot for
    // slow peers is taken.
    const auto deadline = started_ + pace_.grace +
                          std::chrono::milliseconds(received_ * 1000 / pace_.minBytesPerSecond);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !slots_.TryTake()) return false;
    const bool ready = Poll(socket(), POLLIN, left) == 1;
    slots_.Give();
    return ready;
}

bool PacedStream::is_readable() const {
    return used_ < connection_.buffered.size() || WaitForBytes();
}

ssize_t PacedStream::read(char* ptr, size_t size) {
    std::string& buffered = connection_.buffered;
    if (used_ == buffered.size()) {
        buffered.clear();
        used_ = 0;
        if (!WaitForBytes()) return -1;
        std::array<char, 65536> chunk;
        const ssize_t got = recv(socket(), chunk.data(), chunk.size(), MSG_DONTWAIT);
        if (got <= 0) return got;
        received_ += static_cast<std::size_t>(got);
        buffered.assign(chunk.data(), static_cast<std::size_t>(got));
    }
    const std::size_t taken = std::min(size, buffered.size() - used_);
    std::memcpy(ptr, buffered.data() + used_, taken);
    used_ += taken;
    return static_cast<ssize_t>(taken);
}

bool PacedStream::is_writable() const {
    return Poll(socket(), POLLOUT, pace_.writeTimeout) == 1;
}

ssize_t PacedStream::write(const char* ptr, size_t size) {
    if (!is_writable()) return -1;
    ssize_t sent;
    do {
        sent = send(socket(), ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void PacedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    NameOf(socket(), getpeername, ip, port);
}

void PacedStream::get_local_ip_and_port(std::string& ip, int& port) const {
    NameOf(socket(), getsockname, ip, port);
}

}  // namespace server
