#include "scc/tests/loaded_provider.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"

namespace scctest {

namespace {

// The build puts the library beside the test programs.
std::wstring ProviderPath() {
    std::vector<wchar_t> self(32768);
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    const std::string folder =
        platform::SplitPath(platform::Utf8(std::wstring(self.data(), length))).Folder();
    return platform::Utf16(folder + "brelmoxscc.dll");
}

}  // namespace

LoadedProvider::LoadedProvider() {
    handle_ = LoadLibraryW(ProviderPath().c_str());
    if (handle_ == nullptr) error_ = "LoadLibraryW failed: " + std::to_string(GetLastError());
}

LoadedProvider::~LoadedProvider() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedProvider::Find(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

// Read from the loaded image's export directory, as the loader reads it.
std::set<std::string> LoadedProvider::ExportedNames() const {
    const auto* base = static_cast<const unsigned char*>(handle_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (entry.Size == 0) return names;
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* nameAddresses = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + nameAddresses[i]));
    }
    // Entry points exported by number alone would escape the names.
    if (exports->NumberOfFunctions != exports->NumberOfNames) names.insert("(by number only)");
    return names;
}

}  // namespace scctest
