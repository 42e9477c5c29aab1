#include "server/paced_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace server {
namespace {

// The listening thread hands each new connection to the waiting room at once.
class HandOver : public httplib::TaskQueue {
  public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

}  // namespace

PacedServer::PacedServer(const Pacing& pacing)
    : pacing_(pacing),
      slots_(static_cast<int>(pacing.threads - pacing.threads / 4)),
      workers_(pacing.threads),
      waiter_(pacing.headDeadline, [this](std::shared_ptr<WaitingConnection> connection) {
          workers_.enqueue([this, connection] { ServeRequest(connection); });
      }) {
    new_task_queue = [] { return new HandOver; };
}

PacedServer::~PacedServer() {
    waiter_.Stop();
    workers_.shutdown();
}

bool PacedServer::process_and_close_socket(socket_t sock) {
    auto connection = std::make_shared<WaitingConnection>();
    connection->socket = platform::UniqueFd(sock);
    // Answers go out as a head and a body; without this the second write waits for the
    // client's delayed acknowledgement.
    const int on = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    waiter_.Add(std::move(connection));
    return true;
}

void PacedServer::ServeRequest(const std::shared_ptr<WaitingConnection>& connection) {
    // A client that sends its next request straight after an answer is served on by this
    // thread: the trip through the waiting room costs more than the request. One that does
    // not within the linger goes back to the waiting room, so no thread waits on a peer long.
    constexpr std::chrono::milliseconds kLinger{1};
    for (;;) {
        PacedStream stream(*connection, slots_, pacing_.body);
        const bool last = ++connection->served >= pacing_.keepAliveRequests;
        bool closed = false;
        const bool answered = process_request(stream, last, closed, nullptr);
        if (!answered || closed || last) break;
        connection->buffered = stream.TakeUnread();
        const HeadWait next = AwaitHead(*connection, kLinger);
        if (next == HeadWait::kClosed) break;
        if (next == HeadWait::kPending) {
            waiter_.Add(connection);
            return;
        }
    }
    shutdown(connection->socket.get(), SHUT_RDWR);
}

}  // namespace server
