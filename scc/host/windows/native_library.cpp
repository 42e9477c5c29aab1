#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows/system_error.h"
#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"
#include "scc/host/provider_library.h"

namespace scchost {

namespace {

// The registry view of this program's own bitness: a 32-bit IDE loads the provider
// registered for 32-bit programs.
#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
#endif
constexpr wchar_t kProvidersKey[] = L"SOFTWARE\\SourceCodeControlProvider";
constexpr wchar_t kInstalledProvidersKey[] =
    L"SOFTWARE\\SourceCodeControlProvider\\InstalledSCCProviders";
constexpr wchar_t kOwnProviderName[] = L"Brelmox";
constexpr const char* kNoProvider =
    "no provider: none is registered under "
    "HKLM\\SOFTWARE\\SourceCodeControlProvider (ProviderRegKey or InstalledSCCProviders) "
    "and there is no brelmoxscc.dll beside this program; name one with --provider";

// A text value of a key below HKEY_LOCAL_MACHINE; "" when there is none.
std::wstring MachineText(const std::wstring& key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | kOwnView, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::wstring text;
    DWORD size = 0;
    if (RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        text.resize(size / sizeof(wchar_t) + 1);
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const bool read = RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(),
                                       &size) == ERROR_SUCCESS;
        text.resize(read ? std::wcslen(text.c_str()) : 0);
    }
    RegCloseKey(opened);
    return text;
}

// As an IDE finds it: the current provider, named by ProviderRegKey; when that names none
// with a library, ours from the list of installed providers.
std::string RegisteredProvider() {
    for (const std::wstring& providerKey :
         {MachineText(kProvidersKey, L"ProviderRegKey"),
          MachineText(kInstalledProvidersKey, kOwnProviderName)}) {
        if (providerKey.empty()) continue;
        const std::wstring path = MachineText(providerKey, L"SCCServerPath");
        if (!path.empty()) return platform::Utf8(path);
    }
    return {};
}

std::string ProviderBesideThisProgram() {
    std::vector<wchar_t> self(32768);
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    return platform::SplitPath(platform::Utf8(std::wstring(self.data(), length))).Folder() +
           "brelmoxscc.dll";
}

}  // namespace

bool FindDefaultProvider(std::string* path, std::string* error) {
    *path = RegisteredProvider();
    if (!path->empty()) return true;
    *path = ProviderBesideThisProgram();
    if (GetFileAttributesW(platform::Utf16(*path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    *error = kNoProvider;
    return false;
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
