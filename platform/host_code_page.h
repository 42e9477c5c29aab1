// Narrow strings as the system's other programs spell them: in the ANSI code page on
// Windows, in UTF-8 elsewhere. Inside the program and on the wire text is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string FromHostCodePage(std::string_view text);

// False (and *host empty) when a character has no spelling in the code page, rather than a
// '?' or a look-alike standing in for it: a name changed that way names another file.
bool ToHostCodePage(const std::string& utf8, std::string* host);

}  // namespace platform
