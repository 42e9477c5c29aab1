// The socket calls of the scripted server, so that one server serves the wire tests on
// POSIX sockets and on Winsock alike.
#pragma once

#include <atomic>
#include <cstdint>

namespace testsupport {

// A socket of either system: a descriptor, or a Winsock SOCKET, which is pointer-sized.
using SocketId = std::intptr_t;
constexpr SocketId kNoSocket = -1;

// Listens on 127.0.0.1 at a port the system picks; throws std::runtime_error when it cannot.
class LoopbackListener {
  public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int Port() const { return port_; }
    // The next connection (not inherited by child programs), or kNoSocket after Stop or on
    // an error.
    SocketId Accept();
    // Wakes a thread waiting in Accept.
    void Stop();

  private:
    std::atomic<SocketId> socket_{kNoSocket};
    int port_ = 0;
};

// Ends both directions of a connection, waking a thread that waits on it.
void ShutdownSocket(SocketId socket);
void CloseSocket(SocketId socket);

}  // namespace testsupport
