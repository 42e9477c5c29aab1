#include "server/http/multipart_reader.h"

#include <strings.h>

#include <algorithm>

namespace server {
namespace {

constexpr std::size_t kHeadLimit = 16 << 10;
constexpr const char* kHeadEnd = "\r\n\r\n";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The value of key=value among the ';'-separated parameters of a header value.
std::string Parameter(const std::string& value, const char* key) {
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find(';', start), value.size());
        const std::string item = Trimmed(value.substr(start, end - start));
        const std::size_t equals = item.find('=');
        if (equals != std::string::npos && strcasecmp(item.substr(0, equals).c_str(), key) == 0)
            return Unquoted(item.substr(equals + 1));
        start = end + 1;
    }
    return "";
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t size = std::char_traits<char>::length(prefix);
    return text.size() >= size && strncasecmp(text.c_str(), prefix, size) == 0;
}

}  // namespace

MultipartReader::MultipartReader(const std::string& boundary, PartStart start, PartData data)
    : opening_("--" + boundary + "\r\n"),
      delimiter_("\r\n--" + boundary),
      closing_("\r\n--" + boundary + "--\r\n"),
      start_(std::move(start)),
      data_(std::move(data)) {}

void MultipartReader::Feed(const char* data, std::size_t size) {
    if (state_ == State::kDone || state_ == State::kMalformed) return;
    if (state_ == State::kFile && size >= closing_.size()) {
        // Large pieces of the file go straight through; only a possible closing is kept.
        if (!pending_.empty()) data_(pending_.data(), pending_.size());
        data_(data, size - closing_.size());
        pending_.assign(data + size - closing_.size(), closing_.size());
        return;
    }
    pending_.append(data, size);
    Step();
}

void MultipartReader::Step() {
    for (;;) {
        switch (state_) {
            case State::kOpening:
                if (pending_.size() < opening_.size()) return;
                state_ = pending_.compare(0, opening_.size(), opening_) == 0 ? State::kHead
                                                                             : State::kMalformed;
                pending_.erase(0, opening_.size());
                break;
            case State::kHead: {
                const std::size_t end = pending_.find(kHeadEnd);
                if (end == std::string::npos) {
                    if (pending_.size() > kHeadLimit) state_ = State::kMalformed;
                    return;
                }
                TakeHead(end);
                break;
            }
            case State::kText: {
                const std::size_t end = pending_.find(delimiter_);
                if (end == std::string::npos) {
                    EmitText();
                    return;
                }
                data_(pending_.data(), end);
                pending_.erase(0, end + delimiter_.size());
                state_ = State::kAfterDelimiter;
                break;
            }
            case State::kAfterDelimiter:
                if (pending_.size() < 2) return;
                state_ = pending_.compare(0, 2, "\r\n") == 0 ? State::kHead
                         : pending_.compare(0, 2, "--") == 0 ? State::kDone
                                                             : State::kMalformed;
                pending_.erase(0, 2);
                break;
            case State::kFile:
                if (pending_.size() > closing_.size()) {
                    const std::size_t ready = pending_.size() - closing_.size();
                    data_(pending_.data(), ready);
                    pending_.erase(0, ready);
                }
                return;
            case State::kDone:
            case State::kMalformed:
                pending_.clear();
                return;
        }
    }
}

void MultipartReader::TakeHead(std::size_t end) {
    PartHead head;
    bool named = false;
    std::size_t start = 0;
    while (start < end) {
        const std::size_t lineEnd = std::min(pending_.find("\r\n", start), end);
        const std::string line = pending_.substr(start, lineEnd - start);
        if (StartsWithNoCase(line, "Content-Disposition:")) {
            const std::string value = line.substr(line.find(':') + 1);
            head.name = Parameter(value, "name");
            head.filename = Parameter(value, "filename");
            named = !head.name.empty();
        }
        start = lineEnd + 2;
    }
    pending_.erase(0, end + std::char_traits<char>::length(kHeadEnd));
    if (!named) {
        state_ = State::kMalformed;
        return;
    }
    head.isFile = !head.filename.empty() || head.name == "userfile";
    state_ = head.isFile ? State::kFile : State::kText;
    start_(head);
}

void MultipartReader::EmitText() {
    // Everything but what could be the start of a delimiter is text already.
    if (pending_.size() < delimiter_.size()) return;
    const std::size_t ready = pending_.size() - (delimiter_.size() - 1);
    data_(pending_.data(), ready);
    pending_.erase(0, ready);
}

bool MultipartReader::Finish() {
    if (state_ == State::kDone) return true;
    if (state_ != State::kFile) return false;
    // The closing's last line break is optional, as in any multipart body.
    const std::string bare = closing_.substr(0, closing_.size() - 2);
    for (const std::string& end : {closing_, bare}) {
        if (pending_.size() >= end.size() &&
            pending_.compare(pending_.size() - end.size(), end.size(), end) == 0) {
            data_(pending_.data(), pending_.size() - end.size());
            state_ = State::kDone;
            return true;
        }
    }
    return false;
}

std::string BoundaryOf(const std::string& contentType) {
    if (!StartsWithNoCase(contentType, "multipart/form-data")) return "";
    // The client separates the boundary with a comma rather than a semicolon.
    std::string parameters =
        contentType.substr(std::char_traits<char>::length("multipart/form-data"));
    std::replace(parameters.begin(), parameters.end(), ',', ';');
    return Parameter(parameters, "boundary");
}

}  // namespace server
