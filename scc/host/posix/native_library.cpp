#include <dlfcn.h>

#include <filesystem>

#include "scc/host/provider_library.h"

namespace scchost {

std::string DefaultProviderPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "lib" / "libbrelmoxscc.so").string();
}

void* ProviderLibrary::Open(const std::string& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) *error = dlerror();
    return handle;
}

void* ProviderLibrary::LookUp(void* handle, const char* name) {
    return dlsym(handle, name);
}

void ProviderLibrary::Close(void* handle) {
    dlclose(handle);
}

}  // namespace scchost
