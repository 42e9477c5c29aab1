// Local file-system services: wildcard search, path splitting, unique temporary files,
// folder creation and removal. Local paths use '/'; on Windows '\' as well, and drive
// letters and UNC paths (\\server\share) work as the system has them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// Drive ("C:" on Windows, else empty), directory with its trailing separator, file name and
// extension.
// The extension runs from the last '.' of the last component, dot included:
// "/a/b/c.txt" -> "", "/a/b/", "c", ".txt"; "x/.bashrc" -> "", "x/", "", ".bashrc".
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;

    // The folder the path is in, drive included: "" for a bare name.
    std::string Folder() const { return drive + dir; }
};
PathParts SplitPath(const std::string& path);

// $TMPDIR when set and not empty, else /tmp; always with a trailing '/'. On Windows the
// user's temporary folder (from TMP or TEMP), with a trailing '\'.
std::string TempFolder();

// '/', and on Windows '\' as well.
bool IsPathSeparator(char c);

// True when two names in one folder name the same entry: equal bytes, or on Windows equal
// but for case, in every script, as the system compares names.
bool SameFileName(const std::string& a, const std::string& b);

// The path with the system's own separators, as a user is shown it: '\' on Windows.
std::string NativePath(std::string path);

// The path made absolute against the current folder, with "." and ".." steps resolved
// but links not followed ("C:\w\a.c" on Windows); the path itself when that fails.
std::string AbsolutePath(const std::string& path);

bool IsSymbolicLink(const std::string& path);

bool IsDirectory(const std::string& path);

// mkdir with mode 0777 less the umask; returns 0 or errno.
int MakeDirectory(const std::string& path);

// A new folder with a unique name that starts with prefix, in the temporary folder, that
// no other user can reach: its path without a trailing separator, or "" with errno set.
std::string MakePrivateTempFolder(const std::string& prefix);

// "Cannot open '/w/a.c': No such file or directory"
std::string FileErrorText(const std::string& operation, const std::string& path, int err);

// Removes a file, ignoring a missing one.
void RemoveFile(const std::string& path);

// Owns an open descriptor and closes it once, on Close() or at the end of its scope.
class UniqueFd;

// A temporary file that vanishes with its last descriptor, so nothing is left behind however
// the process ends: in the first usable of $TMPDIR (the user's temporary folder on Windows),
// fallbackDir (skipped when empty) and the system's temporary folder. Invalid with errno set
// when no folder could take it.
UniqueFd CreateNamelessTempFile(const std::string& fallbackDir);

// Opens an existing file for reading. Files are always binary and never inherited by
// programs this one starts. Invalid with errno set.
UniqueFd OpenForReading(const std::string& path);

// Creates a file, or empties an existing one, for writing (and reading, when asked).
// Invalid with errno set.
UniqueFd CreateForWriting(const std::string& path, bool alsoForReading = false);

// Reads up to max bytes at the file position: the count, 0 at the end, -1 with errno set.
long long ReadSome(int fd, void* buffer, std::size_t max);

// Writes up to max bytes at the file position: the count, -1 with errno set.
long long WriteSome(int fd, const void* data, std::size_t max);

// Reads up to max bytes at offset without using or moving the file position: the count,
// 0 at the end, -1 with errno set.
long long ReadAt(int fd, void* buffer, std::size_t max, std::uint64_t offset);

// Writes all bytes at offset without using or moving the file position; false with errno
// set.
bool WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);

// The size of an open file, or of the file at a path; false with errno set.
bool SizeOfOpenFile(int fd, std::uint64_t* size);
bool SizeOfFile(const std::string& path, std::uint64_t* size);

// True when path names something other than a plain file (a folder, pipe, socket or
// device).
bool IsSpecialFile(const std::string& path);

// True when the current user may read the file.
bool IsReadable(const std::string& path);

// The processor cores this process may run on, at least one.
unsigned UsableCoreCount();

// A downloaded file on its way to replacing a target: written beside the target, where it
// is gone again if the process ends before Commit, and given the target's name only by
// Commit, in one step that leaves either the old file or the whole new one.
class ReplacementFile {
  public:
    ReplacementFile();
    ~ReplacementFile();  // removes an uncommitted file
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Makes the file in the target's folder: 0, or the errno (ENOENT when the folder is
    // missing).
    int Create(const std::string& targetPath);
    int Fd() const;

    // Gives the file the target's name, replacing what was there (whose permissions it takes
    // over, writable by its owner): 0, or the errno (EBUSY when another program holds the
    // target open and the system will not replace it).
    int Commit();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

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

// Closes a descriptor: 0, or -1 with errno set.
int CloseDescriptor(int fd);

// Writes all bytes, resuming after short writes and interruptions; false with errno set.
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace platform
