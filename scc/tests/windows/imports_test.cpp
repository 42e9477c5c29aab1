// The provider goes into any IDE's process with nothing beside it: every DLL it imports is
// one of the system's own, never a compiler runtime that the IDE would have to find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"
#include "scc/tests/loaded_provider.h"

namespace {

// Read from the loaded image's import directory, as the loader reads it.
std::vector<std::string> ImportedDlls(const void* module) {
    const auto* base = static_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    const auto* import =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress);
    for (; entry.Size != 0 && import->Name != 0; ++import) {
        names.push_back(reinterpret_cast<const char*>(base + import->Name));
    }
    return names;
}

bool InSystemFolder(const std::string& dll) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring path = std::wstring(folder, length) + L"\\" + platform::Utf16(dll);
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ImportsTest, TheProviderImportsOnlySystemDlls) {
    const scctest::LoadedProvider provider;
    ASSERT_TRUE(provider.Loaded()) << provider.Error();
    const std::vector<std::string> imported = ImportedDlls(provider.Handle());
    EXPECT_GE(imported.size(), 2u);  // KERNEL32 and the C runtime at least
    for (const std::string& dll : imported) {
        EXPECT_TRUE(InSystemFolder(dll)) << dll;
    }
}

}  // namespace
