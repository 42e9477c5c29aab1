// One request as the scripted server received it: the raw bytes and their parts.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct RecordedRequest {
    std::string raw;  // every byte of the request, head and body
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // as sent, in order; values trimmed
    std::string body;      // the bytes after the empty line (chunk framing kept when chunked)
    bool chunked = false;  // the body came with "Transfer-Encoding: chunked"

    // The value of the first header of that name, compared without case; "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// The length of the complete request at the start of bytes (head up to the empty line, then
// Content-Length bytes or the chunked body), or 0 while more bytes must arrive.
size_t CompleteRequestLength(const std::string& bytes);

// Takes apart a complete request.
RecordedRequest ParseRequest(const std::string& raw);

}  // namespace testsupport
