#include "platform/windows/unique_name.h"

#include <random>

#include "platform/windows/system_error.h"

namespace platform {

namespace {

constexpr int kAttempts = 100;

}  // namespace

HANDLE CreateNewUniqueFile(const std::string& folder, DWORD access, DWORD flags,
                           std::string* path) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string name = folder + ".brelmox-" + std::to_string(random()) + ".tmp";
        const HANDLE file =
            CreateFileW(WidePath(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            if (path != nullptr) *path = name;
            return file;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace platform
