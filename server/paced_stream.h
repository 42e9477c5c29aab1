// One request's reading and writing on a plain HTTP connection whose head has arrived. The
// body must keep a minimum average rate after a grace period, and a read that has to wait
// for a slow peer needs one of a limited number of waiting slots, so that request threads
// stay free for peers that are ready.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <string>

#include "server/connection_waiter.h"

namespace server {

struct Pace {
    std::chrono::milliseconds grace{10000};
    std::size_t minBytesPerSecond = 4 << 10;
    std::chrono::seconds writeTimeout{120};
};

// How many request threads may wait for a slow peer at once.
class WaitingSlots {
  public:
    explicit WaitingSlots(int count) : free_(count) {}
    bool TryTake();
    void Give() { ++free_; }

  private:
    std::atomic<int> free_;
};

class PacedStream : public httplib::Stream {
  public:
    PacedStream(WaitingConnection& connection, WaitingSlots& slots, const Pace& pace);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return connection_.socket.get(); }

    // What was read ahead and not used: the start of the next request.
    std::string TakeUnread() { return connection_.buffered.substr(used_); }

  private:
    // Waits for bytes until the pace's deadline; false when none came in time.
    bool WaitForBytes() const;

    WaitingConnection& connection_;
    WaitingSlots& slots_;
    const Pace& pace_;
    std::chrono::steady_clock::time_point started_;
    std::size_t received_ = 0;
    std::size_t used_ = 0;
};

}  // namespace server
