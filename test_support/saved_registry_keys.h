// Registry keys a test owns for its life: their values are put aside and the keys removed
// when the object is made, and the values come back when it goes. On Windows every test
// shares one registry, so the tests that use one must also not run at once (ctest's
// RESOURCE_LOCK brelmox_registry).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/registry_file.h"

namespace testsupport {

class SavedRegistryKeys {
  public:
    // Key paths relative to HKEY_CURRENT_USER, as the configuration store takes them.
    explicit SavedRegistryKeys(std::vector<std::string> keyPaths);
    ~SavedRegistryKeys();
    SavedRegistryKeys(const SavedRegistryKeys&) = delete;
    SavedRegistryKeys& operator=(const SavedRegistryKeys&) = delete;

  private:
    std::vector<std::pair<std::string, platform::RegValues>> saved_;  // the keys that existed
    std::vector<std::string> keyPaths_;
};

}  // namespace testsupport
