// Lower-case hexadecimal text of bytes, as used in stored hashes and object names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace server {

std::string ToHex(const unsigned char* bytes, std::size_t size);
std::optional<std::vector<unsigned char>> FromHex(const std::string& text);

}  // namespace server
