#include "client/path_text.h"

#include <algorithm>
#include <filesystem>

namespace brelmox {

std::string TrimSlashes(const std::string& text) {
    size_t first = text.find_first_not_of("\\/");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of("\\/") - first + 1);
}

std::string ForwardSlashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace brelmox
