// The client's multipart body, parsed as it arrives. A text part ends at the next boundary;
// the file part is the body's last part, so it ends only at the closing boundary at the very
// end of the body, and archive bytes that happen to hold the boundary text are content like
// any other.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace server {

struct PartHead {
    std::string name;
    std::string filename;  // as sent; empty for a text part
    bool isFile = false;   // named "userfile" or carrying a filename
};

class MultipartReader {
  public:
    using PartStart = std::function<void(const PartHead& head)>;
    using PartData = std::function<void(const char* data, std::size_t size)>;

    MultipartReader(const std::string& boundary, PartStart start, PartData data);

    // Never stops early: after a malformed piece the rest is read and dropped, so that the
    // request's framing is kept.
    void Feed(const char* data, std::size_t size);
    // Whether the body was one complete form; hands over the file part's last bytes.
    bool Finish();

  private:
    enum class State { kOpening, kHead, kText, kAfterDelimiter, kFile, kDone, kMalformed };

    void Step();
    void TakeHead(std::size_t end);
    void EmitText();

    std::string opening_;    // "--B\r\n"
    std::string delimiter_;  // "\r\n--B"
    std::string closing_;    // "\r\n--B--\r\n"
    PartStart start_;
    PartData data_;
    State state_ = State::kOpening;
    std::string pending_;
};

// The boundary of a "multipart/form-data" content type, or "" when it has none.
std::string BoundaryOf(const std::string& contentType);

}  // namespace server
