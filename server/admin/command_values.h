// Reading the values the administration command line takes.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "server/repository_server.h"

namespace server {

// A command line that cannot be run as written.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// HOST:PORT, with an IPv6 address in brackets ([::1]:8080).
void ReadListenAddress(const std::string& text, ServeOptions& options);
// A byte count with an optional K, M or G (binary) suffix.
std::size_t ReadByteCount(const std::string& text);
std::size_t ReadThreadCount(const std::string& text);
// One line of standard input, prompted for and not echoed when it is a terminal.
std::string ReadPassword(const std::string& user);

}  // namespace server
