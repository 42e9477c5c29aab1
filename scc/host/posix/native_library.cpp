#include <dlfcn.h>

#include <filesystem>

#include "scc/host/provider_library.h"

namespace scchost {

// The provider in lib/ beside this program's folder, as the build lays it out, else where
// an installation puts libraries (on Debian a multiarch folder such as
// lib/x86_64-linux-gnu). A missing one is said when it is loaded.
bool FindDefaultProvider(std::string* path, std::string*) {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path built = folder / "../lib/libbrelmoxscc.so";
    *path = std::filesystem::exists(built, error)
                ? built.lexically_normal().string()
                : (folder / BRELMOX_INSTALLED_LIBRARY_DIR / "libbrelmoxscc.so")
                      .lexically_normal()
                      .string();
    return true;
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
