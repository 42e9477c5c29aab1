#include "server/request_log.h"

#include <cstdio>

namespace server {
namespace {

// A user name is the client's text; it must not break the log's one-line-per-request form.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) line += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return line.empty() ? "-" : line;
}

}  // namespace

void LogRequest(const std::string& script, const std::string& user, int status,
                std::chrono::steady_clock::time_point started) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    // One call per line: stdio locks the stream, so lines of parallel requests never mix.
    std::fprintf(stderr, "%s user=%s status=%d ms=%lld\n", script.c_str(), OneLine(user).c_str(),
                 status, static_cast<long long>(elapsed.count()));
}

void LogProblem(const std::string& script, const std::string& detail) {
    std::fprintf(stderr, "%s problem: %s\n", script.c_str(), OneLine(detail).c_str());
}

}  // namespace server
