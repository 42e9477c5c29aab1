// File-system services on POSIX calls.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace platform {
namespace {

constexpr std::string_view kAnyExtension = ".*";
constexpr char kTempNameTemplate[] = "brelmox-XXXXXX";

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

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    if (MatchRun(pattern, name)) return true;
    // As on the original platform, a trailing ".*" also stands for "no extension at all".
    const std::string_view view = pattern;
    return view.ends_with(kAnyExtension) && name.find('.') == std::string::npos &&
           MatchRun(view.substr(0, view.size() - kAnyExtension.size()), name);
}

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

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

std::string FileErrorText(const std::string& operation, const std::string& path, int err) {
    return "Cannot " + operation + " '" + path + "': " + std::strerror(err);
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}

UniqueFd::~UniqueFd() {
    if (valid()) close(fd_);
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (valid()) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool UniqueFd::Close() {
    return close(std::exchange(fd_, -1)) == 0;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, next, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace platform
