#include "scc/host/provider_library.h"

#include "scc/entry_points.h"

namespace scchost {

namespace {

template <typename Function>
void Find(void* symbol, Function* function) {
    *function = reinterpret_cast<Function>(symbol);
}

}  // namespace

ProviderLibrary::~ProviderLibrary() {
    if (handle_ != nullptr) Close(handle_);
}

bool ProviderLibrary::Load(const std::string& path, std::string* error) {
    handle_ = Open(path, error);
    if (handle_ == nullptr) return false;
    for (const char* name : brelmoxscc::kEntryPoints) {
        if (LookUp(handle_, name) == nullptr) {
            *error = path + " lacks the entry point " + name;
            return false;
        }
    }
    Find(LookUp(handle_, "SccGetVersion"), &calls_.getVersion);
    Find(LookUp(handle_, "SccInitialize"), &calls_.initialize);
    Find(LookUp(handle_, "SccUninitialize"), &calls_.uninitialize);
    Find(LookUp(handle_, "SccOpenProject"), &calls_.openProject);
    Find(LookUp(handle_, "SccGetProjPath"), &calls_.getProjPath);
    Find(LookUp(handle_, "SccAdd"), &calls_.add);
    Find(LookUp(handle_, "SccCheckin"), &calls_.checkin);
    Find(LookUp(handle_, "SccCheckout"), &calls_.checkout);
    Find(LookUp(handle_, "SccGet"), &calls_.get);
    Find(LookUp(handle_, "SccUncheckout"), &calls_.uncheckout);
    Find(LookUp(handle_, "SccRemove"), &calls_.remove);
    Find(LookUp(handle_, "SccQueryInfo"), &calls_.queryInfo);
    Find(LookUp(handle_, "SccQueryInfoEx"), &calls_.queryInfoEx);
    Find(LookUp(handle_, "SccHistory"), &calls_.history);
    Find(LookUp(handle_, "SccProperties"), &calls_.properties);
    Find(LookUp(handle_, "SccDiff"), &calls_.diff);
    Find(LookUp(handle_, "SccGetCommandOptions"), &calls_.getCommandOptions);
    return true;
}

}  // namespace scchost
