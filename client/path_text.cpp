#include "client/path_text.h"

#include <algorithm>

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

}  // namespace brelmox
