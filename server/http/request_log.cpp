#include "server/http/request_log.h"

#include <cstdio>

namespace server {
namespace {

// Every value comes from the client or the system. Escaping all but printable ASCII, and
// the space and backslash too, means no value can end the line, start another field or
// reach a terminal as a control sequence, and the escaping can be undone.
std::string Escaped(const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7f && byte != '\\') {
            escaped += c;
        } else {
            escaped += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
        }
    }
    return escaped.empty() ? "-" : escaped;
}

}  // namespace

void LogRequest(const std::string& script, const std::string& user, int status,
                std::chrono::steady_clock::time_point started, const std::string& problem) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    const std::string cause = problem.empty() ? "" : " problem=" + Escaped(problem);
    // One call per line: stdio locks the stream, so lines of parallel requests never mix.
    std::fprintf(stderr, "%s user=%s status=%d ms=%lld%s\n", Escaped(script).c_str(),
                 Escaped(user).c_str(), status, static_cast<long long>(elapsed.count()),
                 cause.c_str());
}

}  // namespace server
