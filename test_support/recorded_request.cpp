#include "test_support/recorded_request.h"

#include <charconv>
#include <string_view>

namespace testsupport {
namespace {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeadEnd = "\r\n\r\n";

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string Trimmed(std::string_view text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

const std::string* FindHeader(const HeaderList& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (SameIgnoringCase(key, name)) return &value;
    }
    return nullptr;
}

// The header lines of a head (the bytes before the empty line), request line left out.
HeaderList ParseHeaders(std::string_view head) {
    HeaderList headers;
    size_t at = head.find(kLineEnd);
    while (at != std::string_view::npos) {
        at += kLineEnd.size();
        size_t end = head.find(kLineEnd, at);
        std::string_view line = head.substr(at, end == std::string_view::npos ? end : end - at);
        size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            headers.emplace_back(std::string(line.substr(0, colon)),
                                 Trimmed(line.substr(colon + 1)));
        }
        at = end;
    }
    return headers;
}

bool IsChunked(const HeaderList& headers) {
    const std::string* coding = FindHeader(headers, "Transfer-Encoding");
    return coding != nullptr && coding->find("chunked") != std::string::npos;
}

size_t ContentLength(const HeaderList& headers) {
    const std::string* text = FindHeader(headers, "Content-Length");
    size_t length = 0;
    if (text != nullptr) std::from_chars(text->data(), text->data() + text->size(), length);
    return length;
}

// End of the trailer lines that follow the last chunk, or 0 while incomplete.
size_t TrailerEnd(const std::string& bytes, size_t at) {
    for (;;) {
        size_t end = bytes.find(kLineEnd, at);
        if (end == std::string::npos) return 0;
        if (end == at) return end + kLineEnd.size();
        at = end + kLineEnd.size();
    }
}

// End of a chunked body that starts at `at`, or 0 while incomplete.
size_t ChunkedBodyEnd(const std::string& bytes, size_t at) {
    for (;;) {
        size_t lineEnd = bytes.find(kLineEnd, at);
        if (lineEnd == std::string::npos) return 0;
        size_t size = 0;
        std::from_chars(bytes.data() + at, bytes.data() + lineEnd, size, 16);
        at = lineEnd + kLineEnd.size();
        if (size == 0) return TrailerEnd(bytes, at);
        if (size >= bytes.size() || bytes.size() - at < size + kLineEnd.size()) return 0;
        at += size + kLineEnd.size();
    }
}

void ParseRequestLine(std::string_view line, RecordedRequest* request) {
    for (std::string* part : {&request->method, &request->target, &request->version}) {
        size_t space = line.find(' ');
        *part = std::string(line.substr(0, space));
        line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    const std::string* value = FindHeader(headers, name);
    return value != nullptr ? *value : "";
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    return FindHeader(headers, name) != nullptr;
}

size_t CompleteRequestLength(const std::string& bytes) {
    size_t headEnd = bytes.find(kHeadEnd);
    if (headEnd == std::string::npos) return 0;
    size_t bodyStart = headEnd + kHeadEnd.size();
    HeaderList headers = ParseHeaders(std::string_view(bytes).substr(0, headEnd));
    if (IsChunked(headers)) return ChunkedBodyEnd(bytes, bodyStart);
    size_t length = ContentLength(headers);
    return bytes.size() - bodyStart >= length ? bodyStart + length : 0;
}

RecordedRequest ParseRequest(const std::string& raw) {
    RecordedRequest request;
    request.raw = raw;
    size_t headEnd = raw.find(kHeadEnd);
    std::string_view head = std::string_view(raw).substr(0, headEnd);
    ParseRequestLine(head.substr(0, head.find(kLineEnd)), &request);
    request.headers = ParseHeaders(head);
    request.chunked = IsChunked(request.headers);
    if (headEnd != std::string::npos) request.body = raw.substr(headEnd + kHeadEnd.size());
    return request;
}

}  // namespace testsupport
