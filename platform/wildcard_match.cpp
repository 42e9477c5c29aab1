// Wildcard matching of names, the same on every platform.
#include <string_view>

#include "platform/file_system.h"

namespace platform {
namespace {

constexpr std::string_view kAnyExtension = ".*";

// fnmatch does not fit: '[' and '\' must stay ordinary characters, as on the original
// platform. Backtracks to the last '*' only, which is enough for '*' and '?' alone.
bool MatchRun(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    size_t lastStar = std::string_view::npos;
    size_t nameAtStar = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            lastStar = p++;
            nameAtStar = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (lastStar != std::string_view::npos) {
            p = lastStar + 1;
            n = ++nameAtStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    if (MatchRun(pattern, name)) return true;
    // As on the original platform, a trailing ".*" also stands for "no extension at all".
    const std::string_view view = pattern;
    return view.ends_with(kAnyExtension) && name.find('.') == std::string::npos &&
           MatchRun(view.substr(0, view.size() - kAnyExtension.size()), name);
}

}  // namespace platform
