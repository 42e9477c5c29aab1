#include "test_support/answer_bytes.h"

namespace testsupport {

std::string HttpResponse(const std::string& body, int statusCode) {
    // The client reads only the status code, so one reason phrase serves every failure.
    const char* reason = statusCode == 200 ? "OK" : "Error";
    return "HTTP/1.1 " + std::to_string(statusCode) + " " + reason +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::vector<std::string> SplitEvery(const std::string& bytes, size_t n) {
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

std::string StatusBody(int status, const std::string& error) {
    std::string body =
        KeywordField("protocol:", "1") + KeywordField("status:", std::to_string(status));
    if (!error.empty()) body += KeywordField("error:", error);
    return body;
}

std::string FileRecord(const std::string& name, const std::string& viewPath,
                       const std::string& archive, const char* size) {
    return KeywordField("protocol:", "1") + KeywordField("status:", "0") +
           KeywordField("name:", name) + KeywordField("version:", "3") +
           KeywordField("size:", size == nullptr ? std::to_string(archive.size()) : size) +
           KeywordField("viewpath:", viewPath) + KeywordField("content:", "") + archive +
           RecordEnd();
}

}  // namespace testsupport
