// Turning /t and /d into a value, and a value into the words query shows.
#include <strings.h>

#include <charconv>
#include <cstdio>

#include "reg/messages.h"
#include "reg/reg_values.h"

namespace {

std::optional<uint32_t> ParseNumber(const std::string& text, int base) {
    uint32_t number = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, number, base);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return number;
}

std::optional<std::string> ParseHexBytes(const std::string& digits) {
    std::string bytes;
    if (digits.size() % 2 != 0) return std::nullopt;
    for (size_t i = 0; i < digits.size(); i += 2) {
        auto byte = ParseNumber(digits.substr(i, 2), 16);
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::optional<uint32_t> ParseDword(const std::string& text) {
    if (strncasecmp(text.c_str(), "0x", 2) == 0) return ParseNumber(text.substr(2), 16);
    return ParseNumber(text, 10);
}

}  // namespace

bool ParseRegData(const std::string& type, const std::string& data, platform::RegValue* value) {
    if (strcasecmp(type.c_str(), "REG_SZ") == 0) {
        *value = {platform::RegType::String, data};
        return true;
    }
    if (strcasecmp(type.c_str(), "REG_BINARY") == 0) {
        if (auto bytes = ParseHexBytes(data)) {
            *value = {platform::RegType::Binary, *bytes};
            return true;
        }
        Fail(reg_text::kBadHex, data.c_str());
    } else if (strcasecmp(type.c_str(), "REG_DWORD") == 0) {
        if (auto number = ParseDword(data)) {
            *value = platform::MakeDwordValue(*number);
            return true;
        }
        Fail(reg_text::kBadDword, data.c_str());
    } else {
        Fail(reg_text::kBadType, type.c_str());
    }
    return false;
}

const char* TypeName(platform::RegType type) {
    if (type == platform::RegType::String) return "REG_SZ";
    return type == platform::RegType::Binary ? "REG_BINARY" : "REG_DWORD";
}

std::string ShownData(const platform::RegValue& value) {
    char hex[16];
    if (value.type == platform::RegType::String) return value.data;
    if (value.type == platform::RegType::Dword) {
        std::snprintf(hex, sizeof hex, "0x%x", platform::DwordNumber(value));
        return hex;
    }
    std::string shown;
    for (unsigned char byte : value.data) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        shown += hex;
    }
    return shown;
}
