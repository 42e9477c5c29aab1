// UTF-8 inside the program, UTF-16 at every Windows call.
#pragma once

#include <string>

namespace platform {

// Bytes that are not UTF-8 become U+FFFD rather than vanishing.
std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);

}  // namespace platform
