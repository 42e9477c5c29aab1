#include "test_support/answer_bytes.h"

#include <cstdio>

namespace testsupport {
namespace {

const char* ReasonPhrase(int statusCode) {
    switch (statusCode) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

std::string OneChunk(const std::string& body) {
    if (body.empty()) return "0\r\n\r\n";
    char size[32];
    std::snprintf(size, sizeof size, "%zx", body.size());
    return std::string(size) + "\r\n" + body + "\r\n0\r\n\r\n";
}

}  // namespace

std::string HttpResponse(const std::string& body, int statusCode, bool chunked) {
    std::string head = "HTTP/1.1 " + std::to_string(statusCode) + " " + ReasonPhrase(statusCode) +
                       "\r\nContent-Type: text/plain\r\n";
    if (chunked) {
        return head + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + OneChunk(body);
    }
    return head + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::vector<std::string> SplitEvery(const std::string& bytes, size_t n) {
    if (n == 0) n = bytes.size();
    std::vector<std::string> pieces;
    for (size_t at = 0; at < bytes.size(); at += n) pieces.push_back(bytes.substr(at, n));
    return pieces;
}

std::string KeywordField(const std::string& keyword, const std::string& value) {
    return "--AaB03x\n" + keyword + value + "\n";
}

std::string RecordEnd() {
    return "--AaB03x--\n";
}

}  // namespace testsupport
