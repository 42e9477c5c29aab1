#include "scc/tests/loaded_provider.h"

#include <dlfcn.h>

#include <sstream>

#include "test_support/run_program.h"

namespace scctest {

namespace {

// The build puts libraries beside the programs' folder.
std::string ProviderPath() {
    return testsupport::BinPath("../lib/libbrelmoxscc.so");
}

}  // namespace

LoadedProvider::LoadedProvider() {
    // Kept loaded after dlclose, so that what its libraries allocate once stays reachable.
    handle_ = dlopen(ProviderPath().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) error_ = dlerror();
}

LoadedProvider::~LoadedProvider() {
    if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedProvider::Find(const char* name) const {
    return dlsym(handle_, name);
}

std::set<std::string> LoadedProvider::ExportedNames() const {
    const testsupport::RunResult run =
        testsupport::RunProgram({"nm", "-D", "--defined-only", "--format=posix", ProviderPath()});
    std::set<std::string> exported;
    std::istringstream lines(run.stdoutText);
    for (std::string name, type, rest; lines >> name >> type && std::getline(lines, rest);) {
        exported.insert(name);
    }
    return exported;
}

}  // namespace scctest
