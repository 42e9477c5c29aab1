// The replacement file on Windows: a new file beside the target, marked for deletion from
// the start so that the system removes it if the process ends before the commit, then
// unmarked and renamed over the target through its own handle in one step.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows/commit_lock.h"
#include "platform/windows/system_error.h"
#include "platform/windows/unique_name.h"

namespace platform {

namespace {

bool MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

bool RenameOver(HANDLE file, const std::wstring& target) {
    // The structure ends in the name; it is allocated with room for all of it.
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, target.data(), target.size() * sizeof(wchar_t));
    return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

// Renaming over a file that another program holds open fails as "access denied" on some
// systems: the target itself tells whether that was the reason.
int ReasonRenameFailed(const std::wstring& target) {
    const int error = ErrnoFromLastError();
    const HANDLE probe =
        CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return error;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? EBUSY : error;
}

// The full path, as a rename through a handle takes no relative one.
std::wstring FullPath(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::vector<wchar_t> full(needed);
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    return length > 0 && length < needed ? std::wstring(full.data(), length) : wide;
}

}  // namespace

std::mutex& ReplacementCommitLock() {
    static std::mutex lock;
    return lock;
}

struct ReplacementFile::State {
    std::string targetPath;
    UniqueFd file;
};

ReplacementFile::ReplacementFile() : state_(std::make_unique<State>()) {}

ReplacementFile::~ReplacementFile() = default;

int ReplacementFile::Create(const std::string& targetPath) {
    state_->targetPath = targetPath;
    const HANDLE file =
        CreateNewUniqueFile(SplitPath(targetPath).Folder(), GENERIC_READ | GENERIC_WRITE | DELETE,
                            FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return ErrnoFromLastError();
    if (!MarkForDeletion(file, true)) {
        const int error = ErrnoFromLastError();
        CloseHandle(file);
        return error;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return EMFILE;
    }
    state_->file = UniqueFd(fd);
    return 0;
}

int ReplacementFile::Fd() const {
    return state_->file.get();
}

// A read-only target is replaced as on the other platform, where its owner may always do
// so; it gets its attribute back when the rename fails.
int ReplacementFile::Commit() {
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(state_->file.get()));
    if (!FlushFileBuffers(file)) return ErrnoFromLastError();
    const std::lock_guard<std::mutex> committing(ReplacementCommitLock());
    if (!MarkForDeletion(file, false)) return ErrnoFromLastError();
    const std::wstring target = FullPath(state_->targetPath);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (RenameOver(file, target)) return 0;
    const int error = ReasonRenameFailed(target);
    if (readOnly) SetFileAttributesW(target.c_str(), attributes);
    MarkForDeletion(file, true);
    return error;
}

}  // namespace platform
