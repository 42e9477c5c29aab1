#include "server/http/listener.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/format.h"
#include "server/statuses.h"
#include "server/storage/storage.h"

namespace server::http {
namespace {

// Descriptors kept back from connections: the listening socket, logs, the database, and per
// request thread an upload, stored archives being read and a database connection or two.
constexpr std::uint64_t kReservedDescriptors = 128;
constexpr std::uint64_t kReservedPerThread = 8;
// Each connection may hold up to its buffers; this bounds their sum however high the limit.
constexpr std::uint64_t kMostConnections = 16384;

[[noreturn]] void CannotListen(const std::string& host, int port, const std::string& reason) {
    throw StartupError(
        brelmox::FormatMessage(text::kCannotListen, ShownAddress(host, port), reason));
}

}  // namespace

Listener Listen(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int resolved =
        getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) CannotListen(host, port, std::string(": ") + gai_strerror(resolved));
    int error = 0;
    Listener listener;
    for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
        platform::UniqueFd socket(::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC,
                                           address->ai_protocol));
        // Reuse of an address lets a restarted server listen while the old connections wait
        // out their close; the port is never shared with a second server (no SO_REUSEPORT).
        const int yes = 1;
        if (!socket.valid() ||
            setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
            bind(socket.get(), address->ai_addr, address->ai_addrlen) != 0 ||
            listen(socket.get(), SOMAXCONN) != 0) {
            error = errno;
            continue;
        }
        sockaddr_storage bound{};
        socklen_t size = sizeof bound;
        getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &size);
        listener.port =
            ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
        listener.socket = std::move(socket);
        break;
    }
    freeaddrinfo(found);
    if (!listener.socket.valid())
        CannotListen(host, port, error != 0 ? std::string(": ") + std::strerror(error) : "");
    return listener;
}

std::string ShownAddress(const std::string& host, int port) {
    const std::string shownHost = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return shownHost + ":" + std::to_string(port);
}

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address == nullptr) return "";
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    }
    return text;
}

DescriptorBudget RaiseDescriptorLimit(std::size_t threads) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    DescriptorBudget budget;
    budget.softLimit = limit.rlim_cur;
    budget.hardLimit = limit.rlim_max;
    const std::uint64_t reserved = kReservedDescriptors + kReservedPerThread * threads;
    // However low the limit, a few connections are served.
    const std::uint64_t spare =
        budget.softLimit > 2 * reserved ? budget.softLimit - reserved : budget.softLimit / 2;
    budget.connections =
        static_cast<std::size_t>(std::clamp<std::uint64_t>(spare, 1, kMostConnections));
    return budget;
}

}  // namespace server::http
