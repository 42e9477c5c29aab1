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

// A Dword value holding the number, and the number a Dword value holds.
RegValue MakeDwordValue(uint32_t number);
uint32_t DwordNumber(const RegValue& value);

// Key and value names compare without regard to ASCII case, as in the registry.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using RegValues = std::map<std::string, RegValue, CaseInsensitiveLess>;

// The program a person runs to put a value into the store by hand.
const char* StoreToolName();

// $XDG_CONFIG_HOME/brelmox/user.reg, or $HOME/.config/brelmox/user.reg.
std::string ConfigFilePath();

// Key paths are relative to HKEY_CURRENT_USER, e.g. "SOFTWARE\Farrowdyne\Brelmox\Config".
// A full "HKEY_CURRENT_USER\..." or "HKCU\..." form is accepted too. Returns "" for a
// path under another root (HKEY_LOCAL_MACHINE...) or one that cannot name a key.
std::string NormalizeKeyPath(const std::string& key);

// Opens a key for reading: false when the key (its section) does not exist or the
// file cannot be read. A value whose name appears twice reads as its last line.
bool RegReadKey(const std::string& keyPath, RegValues* values);

// Creates the key when missing and sets one value. Returns 0, or an errno value (EINVAL
// for a bad key path, a line break or NUL in the name or text, a dword not 4 bytes long).
// The file is replaced atomically under an advisory lock; other lines stay as they are.
int RegSetValue(const std::string& keyPath, const std::string& name, const RegValue& value);

// Creates the key (an empty section) when missing. Returns 0 or an errno value.
int RegCreateKey(const std::string& keyPath);

// Deletes one value (ENOENT when absent); the empty name is the default value, @.
int RegDeleteValue(const std::string& keyPath, const std::string& name);
// Deletes the key with its subkeys (ENOENT when absent).
int RegDeleteKey(const std::string& keyPath);

// Merges every key and value of a registry-export file into the store.
// Returns 0, or an errno value (EINVAL for a file that cannot be understood) with a
// message naming the file, and the line at fault, in *error.
int RegImportFile(const std::string& file, std::string* error);

// One key of a registry-export file with its values (a value given twice: its last line).
struct RegImportedKey {
    std::string key;
    RegValues values;
};

// What RegImportFile would merge from the file, key by key in the file's order, without
// storing anything: for checks of the values before they are imported. Returns 0, or an
// errno value with the same message as RegImportFile's in *error.
int RegReadImportFile(const std::string& file, std::vector<RegImportedKey>* keys,
                      std::string* error);

// Writes one key and its subkeys, with their values, as a registry-export file (mode 0600,
// as it may hold the password). Returns 0, ENOENT for a missing key, or an errno value.
int RegExportKey(const std::string& keyPath, const std::string& file);

// The text form of a value as it stands in the file: "text" with escapes, hex:01,02,
// dword:0000002a.
std::string FormatRegValue(const RegValue& value);

}  // namespace platform
