// Local file-system services: wildcard search, path splitting, unique temporary files,
// folder creation and removal. Local paths use '/'.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct FoundFile {
    std::string name;          // last component
    std::string fullPath;      // directory of the pattern, as the caller spelt it, + name
    bool isDirectory = false;  // a link to a directory counts as a directory
};

// '*' matches any run, '?' one character; a pattern ending in ".*" also matches
// names without a dot, so "*.*" matches every name. Every other character, '[' and
// '\' included, stands for itself; so "*." matches only names that end in a dot.
// Case-sensitive.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Searches the folder of the pattern (the current directory when it has no '/') for
// names matching its last component. "." and ".." are never returned; matches come in
// byte order of their names. A pattern without wildcards finds that one entry, file or
// directory, when it exists. A folder that cannot be read gives no matches.
std::vector<FoundFile> FindFiles(const std::string& pattern);

// Drive (always empty here), directory with its trailing '/', file name and extension.
// The extension runs from the last '.' of the last component, dot included:
// "/a/b/c.txt" -> "", "/a/b/", "c", ".txt"; "x/.bashrc" -> "", "x/", "", ".bashrc".
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};
PathParts SplitPath(const std::string& path);

// $TMPDIR when set and not empty, else /tmp; always with a trailing '/'.
std::string TempFolder();

// Creates a new unique file with mkstemp, in $TMPDIR when usable, else in the fallback
// folder (skipped when empty), else in /tmp; a folder is usable when the file could be made
// there. Returns the open descriptor (the caller closes it) and the path, or -1 with errno set.
int CreateUniqueTempFile(const std::string& fallbackDir, std::string* path);

bool IsDirectory(const std::string& path);

// mkdir with mode 0777 less the umask; returns 0 or errno.
int MakeDirectory(const std::string& path);

// "Cannot open '/w/a.c': No such file or directory"
std::string FileErrorText(const std::string& operation, const std::string& path, int err);

// Removes a file, ignoring a missing one.
void RemoveFile(const std::string& path);

// Owns an open descriptor and closes it once, on Close() or at the end of its scope.
class UniqueFd;

// A file with no name in the first usable of $TMPDIR, fallbackDir (skipped when empty) and
// /tmp: it vanishes with its last descriptor, so nothing is left behind however the process
// ends. Invalid with errno set when no folder could take it.
UniqueFd CreateNamelessTempFile(const std::string& fallbackDir);

// A file with no name in folder, created as a new file is (0666 less the umask). Invalid
// with errno set; EOPNOTSUPP, EISDIR or EINVAL say that the file system has no such files.
UniqueFd CreateNamelessFileIn(const std::string& folder);

// Gives a nameless file the name path, replacing at once what was there; false with errno
// set.
bool NameFile(int fd, const std::string& path);

// Gives a nameless file the name path only when nothing has that name yet; false with errno
// set, EEXIST when something has.
bool NameNewFile(int fd, const std::string& path);

// A path that opens the file behind the descriptor again, named or not.
std::string DescriptorPath(int fd);

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now; false with errno set when the close fails, which is where a delayed
    // write error (a full disk on a network file system) shows.
    bool Close();

  private:
    int fd_;
};

// Writes all bytes, resuming after short writes and interruptions; false with errno set.
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace platform
