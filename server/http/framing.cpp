#include "server/http/framing.h"

#include <strings.h>

namespace server::http {
namespace {

// Digits only (no sign, space or suffix) and no more than fit.
std::optional<std::uint64_t> Length(const std::string& text) {
    constexpr std::size_t kMostDigits = 18;
    if (text.empty() || text.size() > kMostDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// A NUL or a line break other than the head's own is read differently by different readers.
bool Clean(const std::string& text) {
    return text.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
}

bool Named(const HeaderLine& line, const char* name) {
    return strcasecmp(line.name.c_str(), name) == 0;
}

}  // namespace

Framing ReadFraming(const std::vector<HeaderLine>& headers) {
    Framing framing;
    int lengths = 0;
    int encodings = 0;
    bool chunked = false;
    bool typed = false;
    for (const HeaderLine& line : headers) {
        if (!Clean(line.name) || !Clean(line.value)) return Framing{};
        if (Named(line, "Content-Length")) {
            ++lengths;
            framing.contentLength = Length(line.value);
            if (!framing.contentLength) return Framing{};
        } else if (Named(line, "Transfer-Encoding")) {
            ++encodings;
            chunked = strcasecmp(line.value.c_str(), "chunked") == 0;
        } else if (Named(line, "Content-Type") && !typed) {
            typed = true;
            framing.contentType = line.value;
        }
    }
    const bool oneWay = lengths + encodings <= 1 && (encodings == 0 || chunked);
    if (!oneWay) return Framing{};
    framing.sound = true;
    return framing;
}

}  // namespace server::http
