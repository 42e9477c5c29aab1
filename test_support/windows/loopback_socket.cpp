#include "test_support/loopback_socket.h"

#include "test_support/windows/shut_sockets.h"

#include <winsock2.h>

#include <mutex>
#include <set>
#include <stdexcept>
#include <string>

namespace testsupport {
namespace {

// Sockets shut down by a stopping server: Winsock wakes no reader on shutdown, so readers
// look here between short waits.
std::mutex shutMutex;
std::set<SocketId> shutSockets;

SOCKET Native(SocketId socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

LoopbackListener::LoopbackListener() {
    // Counted by the system: each listener holds Winsock up until it is destroyed.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("cannot start Winsock");
    SOCKET listener = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                 WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (listener == INVALID_SOCKET || bind(listener, generic, sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 || getsockname(listener, generic, &length) != 0) {
        const int error = WSAGetLastError();
        if (listener != INVALID_SOCKET) closesocket(listener);
        WSACleanup();
        throw std::runtime_error("cannot listen on 127.0.0.1: Winsock error " +
                                 std::to_string(error));
    }
    socket_ = static_cast<SocketId>(listener);
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    Stop();
    WSACleanup();
}

SocketId LoopbackListener::Accept() {
    const SOCKET accepted = accept(Native(socket_), nullptr, nullptr);
    if (accepted == INVALID_SOCKET) return kNoSocket;
    SetHandleInformation(reinterpret_cast<HANDLE>(accepted), HANDLE_FLAG_INHERIT, 0);
    return static_cast<SocketId>(accepted);
}

// Winsock does not wake a thread blocked in accept on shutdown; closing the socket does.
void LoopbackListener::Stop() {
    const SocketId listener = socket_.exchange(kNoSocket);
    if (listener != kNoSocket) closesocket(Native(listener));
}

void ShutdownSocket(SocketId socket) {
    shutdown(Native(socket), SD_BOTH);
    std::lock_guard lock(shutMutex);
    shutSockets.insert(socket);
}

void CloseSocket(SocketId socket) {
    {
        std::lock_guard lock(shutMutex);
        shutSockets.erase(socket);
    }
    closesocket(Native(socket));
}

bool IsShutDown(SocketId socket) {
    std::lock_guard lock(shutMutex);
    return shutSockets.count(socket) != 0;
}

}  // namespace testsupport
