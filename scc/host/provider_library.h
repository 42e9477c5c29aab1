// The provider loaded as an IDE loads it: every entry point looked up by name, and the
// library refused when any one is missing.
#pragma once

#include <string>

#include "scc/scc_api.h"

namespace scchost {

struct ProviderEntryPoints {
    decltype(&SccGetVersion) getVersion = nullptr;
    decltype(&SccInitialize) initialize = nullptr;
    decltype(&SccUninitialize) uninitialize = nullptr;
    decltype(&SccOpenProject) openProject = nullptr;
    decltype(&SccGetProjPath) getProjPath = nullptr;
    decltype(&SccAdd) add = nullptr;
    decltype(&SccCheckin) checkin = nullptr;
    decltype(&SccCheckout) checkout = nullptr;
    decltype(&SccGet) get = nullptr;
    decltype(&SccUncheckout) uncheckout = nullptr;
    decltype(&SccRemove) remove = nullptr;
    decltype(&SccQueryInfo) queryInfo = nullptr;
    decltype(&SccQueryInfoEx) queryInfoEx = nullptr;
    decltype(&SccHistory) history = nullptr;
    decltype(&SccProperties) properties = nullptr;
    decltype(&SccDiff) diff = nullptr;
    decltype(&SccGetCommandOptions) getCommandOptions = nullptr;
};

// The provider to load when none is named: on Windows the one registered for IDEs, else
// the one beside this program; on Linux where the build or an installation puts it. False
// with *error saying why when there is none.
bool FindDefaultProvider(std::string* path, std::string* error);

class ProviderLibrary {
  public:
    ProviderLibrary() = default;
    ~ProviderLibrary();
    ProviderLibrary(const ProviderLibrary&) = delete;
    ProviderLibrary& operator=(const ProviderLibrary&) = delete;

    // False with *error saying why: the library cannot be loaded or lacks an entry point.
    bool Load(const std::string& path, std::string* error);
    const ProviderEntryPoints& Calls() const { return calls_; }

  private:
    // The system's loader: a handle, or null with *error saying why.
    static void* Open(const std::string& path, std::string* error);
    static void* LookUp(void* handle, const char* name);
    static void Close(void* handle);

    void* handle_ = nullptr;
    ProviderEntryPoints calls_;
};

}  // namespace scchost
