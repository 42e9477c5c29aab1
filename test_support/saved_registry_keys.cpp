#include "test_support/saved_registry_keys.h"

namespace testsupport {

SavedRegistryKeys::SavedRegistryKeys(std::vector<std::string> keyPaths)
    : keyPaths_(std::move(keyPaths)) {
    for (const std::string& key : keyPaths_) {
        platform::RegValues values;
        if (platform::RegReadKey(key, &values)) saved_.emplace_back(key, std::move(values));
        platform::RegDeleteKey(key);
    }
}

SavedRegistryKeys::~SavedRegistryKeys() {
    for (const std::string& key : keyPaths_) platform::RegDeleteKey(key);
    for (const auto& [key, values] : saved_) {
        platform::RegCreateKey(key);
        for (const auto& [name, value] : values) platform::RegSetValue(key, name, value);
    }
}

}  // namespace testsupport
