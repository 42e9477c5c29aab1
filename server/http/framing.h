// Where a request's body ends, read from its head. Anything a second reader of the same
// bytes (a proxy in front) could take otherwise is refused: the body's length must be told
// exactly one way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace server::http {

struct HeaderLine {
    std::string name;
    std::string value;
};

struct Framing {
    bool sound = false;
    std::optional<std::uint64_t> contentLength;  // none: chunked, or no body
    std::string contentType;
};

// Sound only with clean header lines (no NUL or CR), and at most one Content-Length of plain
// digits, or one Transfer-Encoding of exactly "chunked" and no Content-Length.
Framing ReadFraming(const std::vector<HeaderLine>& headers);

}  // namespace server::http
