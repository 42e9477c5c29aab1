// Plain HTTP served so that slow peers cannot take every request thread. The HTTP library
// gives each connection a thread for its whole life, blocked in reads that only time out
// per read, and offers no head deadline or body rate. Its request handling is kept (routing,
// parsing, answers); the connections' life is our own: heads wait in a ConnectionWaiter,
// request threads take only connections whose head has arrived, and bodies keep a pace.
#pragma once

#include <httplib.h>

#include <chrono>
#include <memory>

#include "server/connection_waiter.h"
#include "server/paced_stream.h"

namespace server {

struct Pacing {
    std::size_t threads = 32;
    int keepAliveRequests = 100;
    std::chrono::milliseconds headDeadline{10000};
    Pace body;
};

class PacedServer : public httplib::Server {
  public:
    explicit PacedServer(const Pacing& pacing);
    // Closes the waiting connections and lets the requests in progress finish.
    ~PacedServer() override;

  private:
    bool process_and_close_socket(socket_t sock) override;
    void ServeRequest(const std::shared_ptr<WaitingConnection>& connection);

    const Pacing pacing_;
    // A quarter of the threads never wait for a slow body.
    WaitingSlots slots_;
    httplib::ThreadPool workers_;
    ConnectionWaiter waiter_;
};

}  // namespace server
