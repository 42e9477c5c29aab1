#include "scc/host/provider_library.h"

#include <dlfcn.h>

#include "scc/entry_points.h"

namespace scchost {

namespace {

template <typename Function>
void Find(void* handle, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

ProviderLibrary::~ProviderLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

bool ProviderLibrary::Load(const std::string& path, std::string* error) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        *error = dlerror();
        return false;
    }
    for (const char* name : brelmoxscc::kEntryPoints) {
        if (dlsym(handle_, name) == nullptr) {
            *error = path + " lacks the entry point " + name;
            return false;
        }
    }
    Find(handle_, "SccGetVersion", &calls_.getVersion);
    Find(handle_, "SccInitialize", &calls_.initialize);
    Find(handle_, "SccUninitialize", &calls_.uninitialize);
    Find(handle_, "SccOpenProject", &calls_.openProject);
    Find(handle_, "SccGetProjPath", &calls_.getProjPath);
    Find(handle_, "SccAdd", &calls_.add);
    Find(handle_, "SccCheckin", &calls_.checkin);
    Find(handle_, "SccCheckout", &calls_.checkout);
    Find(handle_, "SccGet", &calls_.get);
    Find(handle_, "SccUncheckout", &calls_.uncheckout);
    Find(handle_, "SccRemove", &calls_.remove);
    Find(handle_, "SccQueryInfo", &calls_.queryInfo);
    Find(handle_, "SccQueryInfoEx", &calls_.queryInfoEx);
    Find(handle_, "SccHistory", &calls_.history);
    Find(handle_, "SccProperties", &calls_.properties);
    Find(handle_, "SccDiff", &calls_.diff);
    Find(handle_, "SccGetCommandOptions", &calls_.getCommandOptions);
    return true;
}

}  // namespace scchost
