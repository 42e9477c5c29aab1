// The per-user configuration store: a registry-export text file standing in for
// HKEY_CURRENT_USER. This file alone reads and writes it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

enum class RegType { String, Binary, Dword };

struct RegValue {
    RegType type = RegType::String;
    // String: the text's bytes; Binary: the raw bytes; Dword: four bytes, little-endian.
    std::string data;
};

// Key and value names compare without regard to ASCII case, as in the registry.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using RegValues = std::map<std::string, RegValue, CaseInsensitiveLess>;

// $XDG_CONFIG_HOME/brelmox/user.reg, or $HOME/.config/brelmox/user.reg.
std::string ConfigFilePath();

// Key paths are relative to HKEY_CURRENT_USER, e.g. "SOFTWARE\Farrowdyne\Brelmox\Config".
// A full "HKEY_CURRENT_USER\..." or "HKCU\..." form is accepted too.
std::string NormalizeKeyPath(const std::string& key);

// Opens a key for reading: false when the key (its section) does not exist or the
// file cannot be read. Values are returned in file order through the map.
bool RegReadKey(const std::string& keyPath, RegValues* values);

// Creates the key when missing and sets one value. Returns 0, or an errno value.
// The file is replaced atomically under an advisory lock; other lines stay as they are.
int RegSetValue(const std::string& keyPath, const std::string& name, const RegValue& value);

// Creates the key (an empty section) when missing. Returns 0 or an errno value.
int RegCreateKey(const std::string& keyPath);

// Deletes one value (ENOENT when absent) or, with an empty name, the whole key.
int RegDeleteValue(const std::string& keyPath, const std::string& name);
int RegDeleteKey(const std::string& keyPath);

// Merges every key and value of a registry-export file into the store.
// Returns 0, or an errno value (EINVAL for a file that cannot be understood).
int RegImportFile(const std::string& file, std::string* error);

// Writes one key with its values as a registry-export file. Returns 0 or an errno value.
int RegExportKey(const std::string& keyPath, const std::string& file);

// The text form of a value as it stands in the file: "text" with escapes, hex:01,02, dword:0000002a.
std::string FormatRegValue(const RegValue& value);

}  // namespace platform
