// Building blocks of the raw answers a scripted server sends: the HTTP frame around a
// body, and the keyword lines and record ends that make up the body.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

// The complete raw answer: status line, "Content-Type: text/plain", "Content-Length: N"
// (or "Transfer-Encoding: chunked" with the body as one chunk and the closing chunk),
// "Connection: close", the empty line, the body.
std::string HttpResponse(const std::string& body, int statusCode = 200, bool chunked = false);

// Cuts bytes into pieces of n bytes, the last one possibly shorter; no bytes give no pieces.
std::vector<std::string> SplitEvery(const std::string& bytes, size_t n);

// "--AaB03x\n" + keyword + value + "\n"; the keyword carries its colon, e.g. "status:".
std::string KeywordField(const std::string& keyword, const std::string& value);

// "--AaB03x--\n", the line that follows each record of a multi-record answer.
std::string RecordEnd();

}  // namespace testsupport
