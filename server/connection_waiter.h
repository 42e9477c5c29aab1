// The waiting room of plain HTTP connections: one thread polls every connection that has no
// complete request head yet, so a peer that sends its head slowly (or not at all) holds no
// request thread. A connection leaves with its head complete, or is closed when the head
// does not arrive by its deadline.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace server {

struct WaitingConnection {
    platform::UniqueFd socket;
    std::string buffered;  // bytes read ahead: the head, perhaps more
    int served = 0;        // requests answered on it so far
};

class ConnectionWaiter {
  public:
    using Ready = std::function<void(std::shared_ptr<WaitingConnection>)>;

    ConnectionWaiter(std::chrono::milliseconds headDeadline, Ready ready);
    ~ConnectionWaiter() { Stop(); }
    ConnectionWaiter(const ConnectionWaiter&) = delete;
    ConnectionWaiter& operator=(const ConnectionWaiter&) = delete;

    // From any thread; after Stop() the connection is closed at once.
    void Add(std::shared_ptr<WaitingConnection> connection);
    // Closes every waiting connection and ends the thread.
    void Stop();

  private:
    struct Entry {
        std::shared_ptr<WaitingConnection> connection;
        std::chrono::steady_clock::time_point deadline;
    };
    void Run();

    const std::chrono::milliseconds headDeadline_;
    const Ready ready_;
    platform::UniqueFd wake_;
    std::mutex mutex_;
    std::vector<Entry> incoming_;
    bool stopping_ = false;
    std::thread thread_;
};

// Whether the bytes hold a complete request head.
bool HasCompleteHead(const std::string& bytes);

// Reads what is there without waiting; false when the connection is to be closed.
bool ReadAhead(WaitingConnection& connection);

enum class HeadWait { kComplete, kPending, kClosed };
// Waits at most wait for the connection's next head, reading what arrives.
HeadWait AwaitHead(WaitingConnection& connection, std::chrono::milliseconds wait);

}  // namespace server
