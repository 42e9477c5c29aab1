// One administration command line as read: its words, its options with their values and
// the switches that take none.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "server/storage/storage.h"

namespace server {

struct Invocation {
    std::vector<std::string> words;  // command words, then its arguments
    std::map<std::string, std::string> options;
    std::set<std::string> switches;

    std::string Option(const std::string& name, const std::string& fallback) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
    bool Has(const std::string& name) const { return switches.count(name) != 0; }
    std::string DataFolderPath() const { return Option("--data", "./brelmox-data"); }
    StorageOptions Storage() const {
        return StorageOptions{DataFolderPath(), Option("--database", "")};
    }
};

}  // namespace server
