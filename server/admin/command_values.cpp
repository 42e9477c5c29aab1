#include "server/admin/command_values.h"

#include <termios.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <iostream>

namespace server {
namespace {

constexpr std::size_t kMostThreads = 1024;

std::size_t ReadNumber(const std::string& text, const std::string& what) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("Invalid " + what + " '" + text + "'.");
    }
    return value;
}

// Turns the terminal's echo off for its lifetime, when standard input is a terminal.
class HiddenInput {
  public:
    HiddenInput() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~HiddenInput() {
        if (!active_) return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
        std::fputc('\n', stderr);
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

  private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

void ReadListenAddress(const std::string& text, ServeOptions& options) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        throw UsageError("Invalid --listen address '" + text + "' (expected HOST:PORT).");
    }
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::size_t port = ReadNumber(text.substr(colon + 1), "port");
    if (host.empty() || port > 65535) throw UsageError("Invalid --listen address '" + text + "'.");
    options.host = host;
    options.port = static_cast<int>(port);
}

std::size_t ReadByteCount(const std::string& text) {
    std::string digits = text;
    std::size_t unit = 1;
    if (!digits.empty()) {
        const char suffix = digits.back();
        if (suffix == 'K') unit = std::size_t{1} << 10;
        if (suffix == 'M') unit = std::size_t{1} << 20;
        if (suffix == 'G') unit = std::size_t{1} << 30;
        if (unit != 1) digits.pop_back();
    }
    const std::size_t count = ReadNumber(digits, "byte count");
    if (count == 0 || count > SIZE_MAX / unit)
        throw UsageError("Invalid byte count '" + text + "'.");
    return count * unit;
}

std::size_t ReadThreadCount(const std::string& text) {
    const std::size_t count = ReadNumber(text, "thread count");
    if (count == 0 || count > kMostThreads)
        throw UsageError("Invalid thread count '" + text + "'.");
    return count;
}

std::string ReadPassword(const std::string& user) {
    if (isatty(STDIN_FILENO)) std::fprintf(stderr, "Password for %s: ", user.c_str());
    std::string password;
    {
        HiddenInput hidden;
        if (!std::getline(std::cin, password)) throw UsageError("No password on standard input.");
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

}  // namespace server
