#include "scc/dialogs/display_check.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace brelmoxscc {

namespace {

// A remote display that does not answer within this long counts as absent.
constexpr int kConnectTimeoutMs = 2000;
constexpr int kFirstXPort = 6000;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool ConnectsTo(const sockaddr* address, socklen_t length, int family) {
    const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    bool connected = connect(fd, address, length) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd wait{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        connected = poll(&wait, 1, kConnectTimeoutMs) == 1 &&
                    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    close(fd);
    return connected;
}

// A local socket by path, or in the abstract namespace when abstract is set.
bool LocalSocketAnswers(const std::string& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               path.size() + (abstract ? 0 : 1));
    return ConnectsTo(reinterpret_cast<const sockaddr*>(&address), length, AF_UNIX);
}

bool TcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    bool answers = false;
    for (addrinfo* at = found; at != nullptr && !answers; at = at->ai_next) {
        answers = ConnectsTo(at->ai_addr, at->ai_addrlen, at->ai_family);
    }
    freeaddrinfo(found);
    return answers;
}

// DISPLAY is [host]:number[.screen]; no host (or "unix") means the local socket.
bool XServerAnswers() {
    const std::string display = Variable("DISPLAY");
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    const std::string host = display.substr(0, colon);
    const int number = std::atoi(display.c_str() + colon + 1);
    if (host.empty() || host == "unix") {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        return LocalSocketAnswers(socket, false) || LocalSocketAnswers(socket, true);
    }
    return TcpAnswers(host, kFirstXPort + number);
}

bool WaylandAnswers() {
    const std::string name = Variable("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    if (name[0] == '/') return LocalSocketAnswers(name, false);
    const std::string runtime = Variable("XDG_RUNTIME_DIR");
    return !runtime.empty() && LocalSocketAnswers(runtime + "/" + name, false);
}

}  // namespace

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!Variable(name).empty()) return true;
    }
    return false;
}

bool DisplayAnswers() {
    const std::string platform = Variable("QT_QPA_PLATFORM");
    const std::string kind = platform.substr(0, platform.find(':'));
    if (kind == "xcb") return XServerAnswers();
    if (kind == "wayland" || kind == "wayland-egl") return WaylandAnswers();
    if (!kind.empty()) return true;
    return WaylandAnswers() || XServerAnswers();
}

}  // namespace brelmoxscc
