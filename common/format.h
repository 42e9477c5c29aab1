// printf-style formatting of message texts into a std::string.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace brelmox {

namespace format_detail {
inline const char* Arg(const std::string& text) {
    return text.c_str();
}
template <typename T>
requires std::is_arithmetic_v<T> || std::is_pointer_v<T> T Arg(T value) {
    return value;
}
}  // namespace format_detail

template <typename... Args>
std::string FormatMessage(const char* format, const Args&... args) {
    int length = std::snprintf(nullptr, 0, format, format_detail::Arg(args)...);
    if (length <= 0) return "";
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, format_detail::Arg(args)...);
    return text;
}

}  // namespace brelmox
