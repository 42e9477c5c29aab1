// File-system services on the Windows API. Files are opened through CreateFileW and handed
// to the C runtime as descriptors in binary mode, so that the descriptor interface is the
// same on both platforms while no byte is ever translated.
#include "platform/file_system.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "platform/windows/system_error.h"
#include "platform/windows/unique_name.h"
#include "platform/windows/utf16.h"

namespace platform {

namespace {

// A file held open by another program: the system's own words for it.
constexpr char kInUseReason[] =
    "The process cannot access the file because it is being used by another process";
// The C runtime counts a read or write in an unsigned int.
constexpr std::size_t kLargestPiece = std::size_t{1} << 30;

size_t LastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

bool HasWildcards(const std::string& component) {
    return component.find_first_of("*?") != std::string::npos;
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

// Names compare as Windows users expect them to: without regard to case, in every script.
std::string CaseFolded(const std::string& text) {
    std::wstring wide = Utf16(text);
    if (!wide.empty()) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                      static_cast<int>(wide.size()), wide.data(), static_cast<int>(wide.size()),
                      nullptr, nullptr, 0);
    }
    return Utf8(wide);
}

bool AttributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    if (GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, data)) return true;
    ErrnoFromLastError();
    return false;
}

std::vector<FoundFile> FindExact(const std::string& dir, const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!AttributesOf(dir + name, &data)) return {};
    return {FoundFile{name, dir + name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0}};
}

// The system matches the pattern, "*.*" meaning every name; its matches are checked again
// against the long names alone, as a short 8.3 name may match where the real one does not.
std::vector<FoundFile> FindMatches(const std::string& dir, const std::string& namePattern) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileExW(WidePath(dir + namePattern).c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return {};
    const std::string foldedPattern = CaseFolded(namePattern);
    std::vector<FoundFile> found;
    do {
        const std::string name = Utf8(entry.cFileName);
        if (IsDotEntry(name) || !WildcardMatch(foldedPattern, CaseFolded(name))) continue;
        found.push_back(
            FoundFile{name, dir + name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return found;
}

std::string WithTrailingSeparator(std::string dir) {
    if (dir.empty() || !IsPathSeparator(dir.back())) dir += '\\';
    return dir;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// A descriptor owning the handle, or invalid with errno set (the handle closed).
UniqueFd DescriptorFor(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) {
        ErrnoFromLastError();
        return UniqueFd();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return UniqueFd(fd);
}

// Reading or writing at an offset moves a synchronous handle's file position, which the
// caller's own reads go on from: it is put back afterwards.
class KeptPosition {
  public:
    explicit KeptPosition(HANDLE handle) : handle_(handle) {
        SetFilePointerEx(handle_, LARGE_INTEGER{}, &position_, FILE_CURRENT);
    }
    ~KeptPosition() { SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN); }
    KeptPosition(const KeptPosition&) = delete;
    KeptPosition& operator=(const KeptPosition&) = delete;

  private:
    HANDLE handle_;
    LARGE_INTEGER position_{};
};

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

std::vector<FoundFile> FindFiles(const std::string& pattern) {
    const size_t separator = LastSeparator(pattern);
    // "C:*.c" searches the current folder of drive C.
    const size_t dirEnd = separator != std::string::npos             ? separator + 1
                          : pattern.size() >= 2 && pattern[1] == ':' ? 2
                                                                     : 0;
    const std::string dir = pattern.substr(0, dirEnd);
    const std::string last = pattern.substr(dirEnd);
    if (last.empty() || IsDotEntry(last)) return {};
    return HasWildcards(last) ? FindMatches(dir, last) : FindExact(dir, last);
}

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        parts.drive = path.substr(0, 2);
    }
    const size_t separator = LastSeparator(path);
    const size_t dirEnd = separator == std::string::npos || separator < parts.drive.size()
                              ? parts.drive.size()
                              : separator + 1;
    parts.dir = path.substr(parts.drive.size(), dirEnd - parts.drive.size());
    const std::string last = path.substr(dirEnd);
    const size_t dot = last.rfind('.');
    parts.fname = last.substr(0, dot);
    parts.ext = dot == std::string::npos ? "" : last.substr(dot);
    return parts;
}

std::string TempFolder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return WithTrailingSeparator(length > 0 && length <= MAX_PATH
                                     ? Utf8(std::wstring(folder, length))
                                     : std::string("C:\\Windows\\Temp"));
}

UniqueFd CreateNamelessTempFile(const std::string& fallbackDir) {
    std::vector<std::string> folders{TempFolder()};
    if (!fallbackDir.empty()) folders.push_back(WithTrailingSeparator(fallbackDir));
    int error = 0;
    for (const std::string& folder : folders) {
        // Deleted by the system when its last handle closes, however the process ends.
        const HANDLE file =
            CreateNewUniqueFile(folder, GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
        if (file != INVALID_HANDLE_VALUE) return DescriptorFor(file, _O_BINARY);
        error = ErrnoFromLastError();
    }
    errno = error;
    return UniqueFd();
}

UniqueFd OpenForReading(const std::string& path) {
    return DescriptorFor(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         _O_RDONLY | _O_BINARY);
}

UniqueFd CreateForWriting(const std::string& path, bool alsoForReading) {
    const DWORD access = GENERIC_WRITE | (alsoForReading ? GENERIC_READ : 0);
    return DescriptorFor(CreateFileW(WidePath(path).c_str(), access, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
                         _O_BINARY);
}

long long ReadSome(int fd, void* buffer, std::size_t max) {
    return _read(fd, buffer, static_cast<unsigned>(std::min(max, kLargestPiece)));
}

long long ReadAt(int fd, void* buffer, std::size_t max, std::uint64_t offset) {
    const HANDLE handle = HandleOf(fd);
    const KeptPosition kept(handle);
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    if (ReadFile(handle, buffer, static_cast<DWORD>(std::min(max, kLargestPiece)), &got, &at)) {
        return got;
    }
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    ErrnoFromLastError();
    return -1;
}

bool WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const HANDLE handle = HandleOf(fd);
    const KeptPosition kept(handle);
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        OVERLAPPED at = At(offset);
        DWORD put = 0;
        if (!WriteFile(handle, from, static_cast<DWORD>(std::min(size, kLargestPiece)), &put,
                       &at)) {
            ErrnoFromLastError();
            return false;
        }
        if (put == 0) {
            errno = EIO;
            return false;
        }
        from += put;
        offset += put;
        size -= put;
    }
    return true;
}

bool SizeOfOpenFile(int fd, std::uint64_t* size) {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(HandleOf(fd), &length)) {
        ErrnoFromLastError();
        return false;
    }
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

bool SizeOfFile(const std::string& path, std::uint64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!AttributesOf(path, &data)) return false;
    *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool IsSpecialFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return AttributesOf(path, &data) &&
           (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0;
}

bool IsReadable(const std::string& path) {
    const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

unsigned UsableCoreCount() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
}

bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

bool SameFileName(const std::string& a, const std::string& b) {
    const std::wstring wideA = Utf16(a), wideB = Utf16(b);
    return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = Utf16(NativePath(path));
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> full(needed);
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    return length > 0 && length < needed ? Utf8(std::wstring(full.data(), length)) : path;
}

// Symbolic links and junctions alike: either can lead back up the tree.
bool IsSymbolicLink(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return AttributesOf(path, &data) && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsDirectory(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return AttributesOf(path, &data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int MakeDirectory(const std::string& path) {
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) ? 0 : ErrnoFromLastError();
}

// The user's temporary folder is the user's own, and a new folder in it inherits that.
std::string MakePrivateTempFolder(const std::string& prefix) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = TempFolder() + prefix + std::to_string(random());
        if (CreateDirectoryW(WidePath(folder).c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ErrnoFromLastError();
    return "";
}

std::string FileErrorText(const std::string& operation, const std::string& path, int err) {
    return "Cannot " + operation + " '" + path +
           "': " + (err == EBUSY ? kInUseReason : std::strerror(err));
}

void RemoveFile(const std::string& path) {
    DeleteFileW(WidePath(path).c_str());
}

int CloseDescriptor(int fd) {
    return _close(fd);
}

long long WriteSome(int fd, const void* data, std::size_t max) {
    return _write(fd, data, static_cast<unsigned>(std::min(max, kLargestPiece)));
}

}  // namespace platform
