// One provider session driven call by call, as an IDE would: each call prints its
// result by name and value, and the provider's text output as it comes.
#pragma once

#include <string>
#include <vector>

#include "scc/host/provider_library.h"

namespace scchost {

class HostSession {
  public:
    explicit HostSession(const ProviderEntryPoints& calls) : calls_(calls) {}
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Runs one call given as its words; false (after a line on standard error) when the
    // words do not make a call.
    bool Run(const std::vector<std::string>& words);

  private:
    bool RunFileCall(const std::string& word, std::vector<std::string> arguments);
    bool RunQueryCall(const std::string& word, std::vector<std::string> arguments);
    void Initialize();
    void Uninitialize();
    void OpenProject(const std::vector<std::string>& arguments);
    void GetProjPath(const std::vector<std::string>& arguments);

    const ProviderEntryPoints& calls_;
    void* context_ = nullptr;
};

}  // namespace scchost
