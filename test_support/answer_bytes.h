// Building blocks of the raw answers a scripted server sends: the HTTP frame around a
// body, and the keyword lines and record ends that make up the body.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

// Status line, "Content-Type: text/plain", "Content-Length: N", "Connection: close", the
// empty line, the body.
std::string HttpResponse(const std::string& body, int statusCode = 200);

// Cuts bytes into pieces of n (above 0) bytes, the last one possibly shorter.
std::vector<std::string> SplitEvery(const std::string& bytes, size_t n);

// "--AaB03x\n" + keyword + value + "\n"; the keyword carries its colon, e.g. "status:".
std::string KeywordField(const std::string& keyword, const std::string& value);

// A keyword answer: "protocol:1", "status:STATUS" and, when not empty, "error:ERROR".
std::string StatusBody(int status, const std::string& error = "");

// One file record of a download answer with its archive inline and its end line; size is
// the announced size when not the archive's own.
std::string FileRecord(const std::string& name, const std::string& viewPath,
                       const std::string& archive, const char* size = nullptr);

// "--AaB03x--\n", the line that follows each record of a multi-record answer.
std::string RecordEnd();

}  // namespace testsupport
