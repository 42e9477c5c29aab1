#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows/system_error.h"
#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"
#include "scc/host/provider_library.h"

namespace scchost {

std::string DefaultProviderPath() {
    std::vector<wchar_t> self(32768);
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    return platform::SplitPath(platform::Utf8(std::wstring(self.data(), length))).Folder() +
           "brelmoxscc.dll";
}

void* ProviderLibrary::Open(const std::string& path, std::string* error) {
    const HMODULE module = LoadLibraryW(platform::Utf16(path).c_str());
    if (module == nullptr) {
        *error = "cannot load " + path + ": " + std::strerror(platform::ErrnoFromLastError());
    }
    return module;
}

void* ProviderLibrary::LookUp(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void ProviderLibrary::Close(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace scchost
