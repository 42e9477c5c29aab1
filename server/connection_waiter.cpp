#include "server/connection_waiter.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace server {
namespace {

// The HTTP library takes heads of at most 8 KiB; more without an end is no request.
constexpr std::size_t kHeadLimit = 16 << 10;
constexpr int kLongestPollMs = 1000;
// Beyond this many, new connections are closed rather than let the polling grow.
constexpr std::size_t kMostWaiting = 4096;

}  // namespace

bool HasCompleteHead(const std::string& bytes) {
    return bytes.find("\r\n\r\n") != std::string::npos;
}

bool ReadAhead(WaitingConnection& connection) {
    std::array<char, 4096> buffer;
    const ssize_t got = recv(connection.socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    connection.buffered.append(buffer.data(), static_cast<std::size_t>(got));
    return got > 0 && connection.buffered.size() <= kHeadLimit;
}

HeadWait AwaitHead(WaitingConnection& connection, std::chrono::milliseconds wait) {
    if (HasCompleteHead(connection.buffered)) return HeadWait::kComplete;
    pollfd polled{connection.socket.get(), POLLIN, 0};
    if (poll(&polled, 1, static_cast<int>(wait.count())) <= 0) return HeadWait::kPending;
    if (!ReadAhead(connection)) return HeadWait::kClosed;
    return HasCompleteHead(connection.buffered) ? HeadWait::kComplete : HeadWait::kPending;
}

ConnectionWaiter::ConnectionWaiter(std::chrono::milliseconds headDeadline, Ready ready)
    : headDeadline_(headDeadline),
      ready_(std::move(ready)),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      thread_([this] { Run(); }) {}

void ConnectionWaiter::Add(std::shared_ptr<WaitingConnection> connection) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        incoming_.push_back(
            {std::move(connection), std::chrono::steady_clock::now() + headDeadline_});
    }
    const std::uint64_t one = 1;
    (void)!write(wake_.get(), &one, sizeof one);
}

void ConnectionWaiter::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    (void)!write(wake_.get(), &one, sizeof one);
    thread_.join();
}

void ConnectionWaiter::Run() {
    std::vector<Entry> waiting;
    std::vector<pollfd> polled;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
            for (Entry& entry : incoming_) {
                // Pipelined requests may have brought the next head along already.
                if (HasCompleteHead(entry.connection->buffered)) {
                    ready_(std::move(entry.connection));
                } else if (waiting.size() < kMostWaiting) {
                    waiting.push_back(std::move(entry));
                }
            }
            incoming_.clear();
        }
        polled.assign(1, pollfd{wake_.get(), POLLIN, 0});
        auto now = std::chrono::steady_clock::now();
        int timeout = kLongestPollMs;
        for (const Entry& entry : waiting) {
            polled.push_back(pollfd{entry.connection->socket.get(), POLLIN, 0});
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(entry.deadline - now);
            timeout = std::clamp(static_cast<int>(left.count()) + 1, 0, timeout);
        }
        if (poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR) return;
        std::uint64_t wakes = 0;
        (void)!read(wake_.get(), &wakes, sizeof wakes);
        now = std::chrono::steady_clock::now();
        std::vector<Entry> still;
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            Entry& entry = waiting[i];
            if (polled[i + 1].revents != 0 && !ReadAhead(*entry.connection)) continue;
            if (HasCompleteHead(entry.connection->buffered)) {
                ready_(std::move(entry.connection));
            } else if (entry.deadline > now) {
                still.push_back(std::move(entry));
            }
        }
        waiting.swap(still);
    }
}

}  // namespace server
