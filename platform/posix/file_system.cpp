// File-system services on POSIX calls.
#include "platform/file_system.h"

#include <sched.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/posix/nameless_file.h"

namespace platform {
namespace {

constexpr char kTempNameTemplate[] = "brelmox-XXXXXX";

bool HasWildcards(const std::string& component) {
    return component.find_first_of("*?") != std::string::npos;
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

std::vector<FoundFile> FindExact(const std::string& dir, const std::string& name) {
    const std::string path = dir + name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return {};
    return {FoundFile{name, path, IsDirectory(path)}};
}

std::vector<FoundFile> FindMatches(const std::string& dir, const std::string& namePattern) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(dir.empty() ? "." : dir.c_str()), closedir);
    if (!folder) return {};
    std::vector<FoundFile> found;
    while (const dirent* entry = readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (IsDotEntry(name) || !WildcardMatch(namePattern, name)) continue;
        found.push_back(FoundFile{name, dir + name, IsDirectory(dir + name)});
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return found;
}

// $TMPDIR, or nullptr when it is unset or empty.
const char* TmpDirVariable() {
    const char* value = std::getenv("TMPDIR");
    return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string WithTrailingSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

std::vector<FoundFile> FindFiles(const std::string& pattern) {
    const size_t slash = pattern.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    const std::string last = pattern.substr(dir.size());
    if (last.empty() || IsDotEntry(last)) return {};
    return HasWildcards(last) ? FindMatches(dir, last) : FindExact(dir, last);
}

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    const size_t slash = path.rfind('/');
    parts.dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string last = path.substr(parts.dir.size());
    const size_t dot = last.rfind('.');
    parts.fname = last.substr(0, dot);
    parts.ext = dot == std::string::npos ? "" : last.substr(dot);
    return parts;
}

std::string TempFolder() {
    const char* tmpdir = TmpDirVariable();
    return WithTrailingSlash(tmpdir != nullptr ? tmpdir : "/tmp");
}

int CreateUniqueTempFile(const std::string& fallbackDir, std::string* path) {
    std::vector<std::string> folders;
    if (const char* tmpdir = TmpDirVariable()) folders.emplace_back(tmpdir);
    if (!fallbackDir.empty()) folders.push_back(fallbackDir);
    folders.emplace_back("/tmp");
    int err = 0;
    // Trying to create the file is the only reliable test of whether a folder is usable.
    for (const std::string& folder : folders) {
        std::string name = WithTrailingSlash(folder) + kTempNameTemplate;
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            *path = std::move(name);
            return fd;
        }
        err = errno;
    }
    errno = err;
    return -1;
}

UniqueFd CreateNamelessTempFile(const std::string& fallbackDir) {
    std::string path;
    UniqueFd file(CreateUniqueTempFile(fallbackDir, &path));
    // Its name lives only for this moment: the descriptor keeps the bytes.
    if (file.valid()) unlink(path.c_str());
    return file;
}

UniqueFd CreateNamelessFileIn(const std::string& folder) {
    return UniqueFd(
        open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
}

bool NameNewFile(int fd, const std::string& path) {
    return linkat(AT_FDCWD, DescriptorPath(fd).c_str(), AT_FDCWD, path.c_str(),
                  AT_SYMLINK_FOLLOW) == 0;
}

bool NameFile(int fd, const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string link =
        (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + ".brelmox-XXXXXX";
    // A file cannot be linked over another: it gets a fresh name of its own beside the
    // target first, then takes the target's name in one rename.
    const int reserved = mkostemp(link.data(), O_CLOEXEC);
    if (reserved < 0) return false;
    close(reserved);
    unlink(link.c_str());
    if (!NameNewFile(fd, link)) return false;
    if (rename(link.c_str(), path.c_str()) == 0) return true;
    const int error = errno;
    unlink(link.c_str());
    errno = error;
    return false;
}

std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool IsPathSeparator(char c) {
    return c == '/';
}

bool SameFileName(const std::string& a, const std::string& b) {
    return a == b;
}

std::string NativePath(std::string path) {
    return path;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

std::string MakePrivateTempFolder(const std::string& prefix) {
    std::string folder = TempFolder() + prefix + "XXXXXX";
    return mkdtemp(folder.data()) != nullptr ? folder : "";
}

std::string FileErrorText(const std::string& operation, const std::string& path, int err) {
    return "Cannot " + operation + " '" + path + "': " + std::strerror(err);
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}

int CloseDescriptor(int fd) {
    return close(fd);
}

UniqueFd OpenForReading(const std::string& path) {
    return UniqueFd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

UniqueFd CreateForWriting(const std::string& path, bool alsoForReading) {
    const int access = alsoForReading ? O_RDWR : O_WRONLY;
    return UniqueFd(open(path.c_str(), access | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

long long ReadSome(int fd, void* buffer, std::size_t max) {
    ssize_t got;
    do {
        got = read(fd, buffer, max);
    } while (got < 0 && errno == EINTR);
    return got;
}

long long ReadAt(int fd, void* buffer, std::size_t max, std::uint64_t offset) {
    ssize_t got;
    do {
        got = pread(fd, buffer, max, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

bool WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = pwrite(fd, from, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        if (put == 0) {
            errno = EIO;
            return false;
        }
        from += put;
        offset += static_cast<std::uint64_t>(put);
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool SizeOfOpenFile(int fd, std::uint64_t* size) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool SizeOfFile(const std::string& path, std::uint64_t* size) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool IsSpecialFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool IsReadable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

unsigned UsableCoreCount() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof(cores), &cores) != 0) return 1;
    return std::max(1, CPU_COUNT(&cores));
}

long long WriteSome(int fd, const void* data, std::size_t max) {
    ssize_t put;
    do {
        put = write(fd, data, max);
    } while (put < 0 && errno == EINTR);
    return put;
}

}  // namespace platform
