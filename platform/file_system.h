// Local file-system services that the design takes from the host platform:
// wildcard search, path splitting, unique temporary files, folder creation,
// attributes and the time zone. Local paths use '/'.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct FoundFile {
    std::string name;      // last component
    std::string fullPath;  // directory of the pattern + name
    bool isDirectory = false;
};

// '*' matches any run, '?' one character; a pattern ending in ".*" also matches
// names without a dot. Case-sensitive.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Searches the folder of the pattern for names matching its last component.
// "." and ".." are never returned; matches come in byte order of their names.
// A pattern without wildcards finds that one entry when it exists.
std::vector<FoundFile> FindFiles(const std::string& pattern);

// Drive (always empty here), directory with its trailing '/', file name and extension
// (with its dot). "/a/b/c.txt" -> "", "/a/b/", "c", ".txt".
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};
PathParts SplitPath(const std::string& path);

// $TMPDIR when set, else /tmp; always with a trailing '/'.
std::string TempFolder();

// Creates a new unique file with mkstemp, in $TMPDIR when usable, else in the fallback
// folder, else in /tmp. Returns the open descriptor (the caller closes it) and the path,
// or -1 with errno set.
int CreateUniqueTempFile(const std::string& fallbackDir, std::string* path);

bool IsDirectory(const std::string& path);
bool FileExists(const std::string& path);

// mkdir with mode 0777 less the umask; returns 0 or errno.
int MakeDirectory(const std::string& path);

// Gives the owner write permission; returns 0 or errno.
int ClearReadOnly(const std::string& path);

// "Cannot open '/w/a.c': No such file or directory"
std::string FileErrorText(const std::string& operation, const std::string& path, int err);

// Minutes to add to local time to get UTC (minus the current UTC offset).
int TimeZoneOffsetMinutes();

// Removes a file, ignoring a missing one.
void RemoveFile(const std::string& path);

}  // namespace platform
