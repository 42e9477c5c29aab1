// The listening socket and the descriptors the server may spend on connections.
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace server::http {

struct Listener {
    platform::UniqueFd socket;
    int port = 0;
};

// Binds host:port (0 picks a free port) with a full backlog, so a burst of clients
// connecting at once loses no handshake. Throws StartupError.
Listener Listen(const std::string& host, int port);

// HOST:PORT as messages show it, an IPv6 address in brackets.
std::string ShownAddress(const std::string& host, int port);

// A peer's address as text, "" for a family other than IPv4 and IPv6.
std::string AddressText(const sockaddr* address);

struct DescriptorBudget {
    std::uint64_t softLimit = 0;  // after raising it
    std::uint64_t hardLimit = 0;
    std::size_t connections = 0;  // the most connections served at once
};

// Raises the process's soft limit on open descriptors to the hard one and keeps connections
// below it, leaving room for what requests open (database files, uploads, stored archives).
DescriptorBudget RaiseDescriptorLimit(std::size_t threads);

}  // namespace server::http
