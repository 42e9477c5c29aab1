#include "client/response.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

FieldSource BufferFields(size_t* position, const char* buffer, size_t length) {
    return [=](std::string_view keyword, std::string* value) {
        return ParseField(position, keyword, value, buffer, length);
    };
}

}  // namespace

int ParseField(size_t* position, std::string_view keyword, std::string* value, const char* buffer,
               size_t length) {
    std::string boundary;
    while (boundary.size() < wire::kFieldLine.size() && *position < length) {
        boundary += buffer[(*position)++];
    }
    if (boundary != wire::kFieldLine) return result::kUnexpectedField;

    // The line ends at its LF; without one, the buffer's last byte ends it.
    size_t lineLength = 0;
    if (*position < length && buffer[*position] != '\n') {
        size_t index = *position;
        while (buffer[index] != '\n' && index + 1 < length) ++index;
        lineLength = index - *position;
    }
    std::string line(buffer + std::min(*position, length), lineLength);
    *position = std::min(length, *position + lineLength + 1);

    if (!line.starts_with(keyword)) return result::kUnexpectedField;
    *value = line.substr(keyword.size());
    return result::kSuccess;
}

const char* FindBytes(const char* data, size_t dataLength, const char* pattern,
                      size_t patternLength) {
    const std::string_view text(data, dataLength);
    const size_t at = text.find(std::string_view(pattern, patternLength));
    return at == std::string_view::npos ? nullptr : data + at;
}

int StatusValue(const std::string& text) {
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int ReadStatus(const FieldSource& next) {
    std::string protocol;
    std::string status;
    next(wire::kKeyProtocol, &protocol);
    next(wire::kKeyStatus, &status);
    return StatusValue(status);
}

int ReadStatus(size_t* position, const char* buffer, size_t length) {
    return ReadStatus(BufferFields(position, buffer, length));
}

std::string ReadError(const FieldSource& next) {
    std::string error;
    next(wire::kKeyError, &error);
    return error;
}

std::string ReadError(size_t* position, const char* buffer, size_t length) {
    return ReadError(BufferFields(position, buffer, length));
}

}  // namespace brelmox
