// Full paths as an IDE passes them, taken apart by the rules of the platform that spells
// them, and the part of one below a folder: what becomes a view path.
#pragma once

#include <string>
#include <vector>

namespace brelmoxscc {

enum class PathStyle {
    Posix,    // "/" starts a full path and separates names
    Windows,  // "C:\" or "\\server\share\" starts it; "\" and "/" both separate names
};

struct PathRules {
    PathStyle style;
    // Whether two names in one folder (or two drives, servers or shares) are the same.
    bool (*sameName)(const std::string& a, const std::string& b);
};

// This platform's rules: its style, and names compared as its file system compares them.
const PathRules& NativePathRules();

// A full path taken apart: where it starts ("C:"; "\\server" and "share"; nothing for "/")
// and its names below that, with "." and ".." steps resolved (".." at the start stays at
// the start, as the system has it). Not absolute: a relative path, and on Windows one that
// starts at a drive's current folder ("C:a.c"), at the current drive ("\a.c"), or in the
// device space ("\\.\").
struct FullPath {
    bool absolute = false;
    std::vector<std::string> start;
    std::vector<std::string> names;
};
FullPath ParseFullPath(const std::string& path, PathStyle style);

enum class Mapping {
    Below,      // *below holds the names under the folder, joined with '\'
    Outside,    // not below the folder, the folder itself, or either path not absolute
    Backslash,  // a name holds '\', which the repository would read as a folder
    Wildcard,   // a name holds '*' or '?', which the repository would read as a pattern
};
Mapping PathBelow(const std::string& folder, const std::string& file, const PathRules& rules,
                  std::string* below);

}  // namespace brelmoxscc
