// Reading the server's keyword answers: each field is the field line (wire::kFieldLine)
// and then "keyword:value\n"; fields are read one after the other in the expected order.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace brelmox {

// Reads the field at *position into *value (written only on success); 0 or -1003.
// A failed read still consumes input: the boundary bytes and, when the boundary
// matched, the whole line. List readers rely on that to stop.
int ParseField(size_t* position, std::string_view keyword, std::string* value, const char* buffer,
               size_t length);

// The first occurrence of pattern in data, or null.
const char* FindBytes(const char* data, size_t dataLength, const char* pattern,
                      size_t patternLength);

// Decimal status text as the C runtime reads it: white space, sign, digits; anything
// else gives 0. Values beyond the int range are clamped.
int StatusValue(const std::string& text);

// Where the fields come from: reads the next one as ParseField does, 0 or -1003.
using FieldSource = std::function<int(std::string_view keyword, std::string* value)>;

// Reads "protocol:" and "status:" and returns the status (0 when absent).
int ReadStatus(const FieldSource& next);
int ReadStatus(size_t* position, const char* buffer, size_t length);

// Reads "error:" after a failed status; an absent field gives the empty text.
std::string ReadError(const FieldSource& next);
std::string ReadError(size_t* position, const char* buffer, size_t length);

}  // namespace brelmox
