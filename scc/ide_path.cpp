#include "scc/ide_path.h"

#include <cctype>

#include "platform/file_system.h"

namespace brelmoxscc {

namespace {

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

// The names of text between separators; empty names (doubled separators) are dropped.
std::vector<std::string> SplitNames(const std::string& text, PathStyle style) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : text) {
        if (!IsSeparator(c, style)) {
            name += c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

void AddResolved(FullPath* path, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name == ".") continue;
        if (name != "..") {
            path->names.push_back(name);
        } else if (!path->names.empty()) {
            path->names.pop_back();
        }
    }
}

bool StartsWithSeparator(const std::string& text, size_t at) {
    return at < text.size() && IsSeparator(text[at], PathStyle::Windows);
}

// "C:\rest", "\\server\share\rest", and their long forms "\\?\C:\rest" and
// "\\?\UNC\server\share\rest".
FullPath ParseWindowsPath(std::string path) {
    FullPath parsed;
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
        path = "\\\\" + path.substr(8);
    } else if (path.rfind("\\\\?\\", 0) == 0) {
        path = path.substr(4);
    }
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       std::isalpha(static_cast<unsigned char>(path[0])) != 0;
    if (drive && StartsWithSeparator(path, 2)) {
        parsed.start = {path.substr(0, 2)};
        AddResolved(&parsed, SplitNames(path.substr(3), PathStyle::Windows));
        parsed.absolute = true;
    } else if (StartsWithSeparator(path, 0) && StartsWithSeparator(path, 1)) {
        std::vector<std::string> names = SplitNames(path.substr(2), PathStyle::Windows);
        if (names.size() < 2 || names[0] == "." || names[0] == "?" || names[1] == "." ||
            names[1] == "..") {
            return parsed;
        }
        parsed.start = {"\\\\" + names[0], names[1]};
        AddResolved(&parsed, std::vector<std::string>(names.begin() + 2, names.end()));
        parsed.absolute = true;
    }
    return parsed;
}

bool SameNames(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t count,
               const PathRules& rules) {
    for (size_t i = 0; i < count; ++i) {
        if (!rules.sameName(a[i], b[i])) return false;
    }
    return true;
}

}  // namespace

const PathRules& NativePathRules() {
#ifdef _WIN32
    static constexpr PathRules rules{PathStyle::Windows, platform::SameFileName};
#else
    static constexpr PathRules rules{PathStyle::Posix, platform::SameFileName};
#endif
    return rules;
}

FullPath ParseFullPath(const std::string& path, PathStyle style) {
    if (style == PathStyle::Windows) return ParseWindowsPath(path);
    FullPath parsed;
    if (path.empty() || path[0] != '/') return parsed;
    parsed.absolute = true;
    AddResolved(&parsed, SplitNames(path, style));
    return parsed;
}

Mapping PathBelow(const std::string& folder, const std::string& file, const PathRules& rules,
                  std::string* below) {
    below->clear();
    const FullPath root = ParseFullPath(folder, rules.style);
    const FullPath path = ParseFullPath(file, rules.style);
    if (!root.absolute || !path.absolute || root.start.size() != path.start.size() ||
        !SameNames(root.start, path.start, root.start.size(), rules) ||
        path.names.size() <= root.names.size() ||
        !SameNames(root.names, path.names, root.names.size(), rules)) {
        return Mapping::Outside;
    }
    for (size_t i = root.names.size(); i < path.names.size(); ++i) {
        const std::string& name = path.names[i];
        const bool backslash = name.find('\\') != std::string::npos;
        if (backslash || name.find_first_of("*?") != std::string::npos) {
            below->clear();
            return backslash ? Mapping::Backslash : Mapping::Wildcard;
        }
        if (!below->empty()) *below += '\\';
        *below += name;
    }
    return Mapping::Below;
}

}  // namespace brelmoxscc
