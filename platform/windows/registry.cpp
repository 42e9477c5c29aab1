// The configuration store on the real registry under HKEY_CURRENT_USER. Names and texts are
// UTF-8 here and UTF-16 in the registry.
#include "platform/windows/windows_api.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/registry_file.h"
#include "platform/windows/utf16.h"

namespace platform {
namespace {

class KeyHandle {
  public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* Out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

int ErrnoOf(LSTATUS status) {
    switch (status) {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        default:
            return EIO;
    }
}

// The key below HKEY_CURRENT_USER, or "" for a path that names no key of it.
std::wstring KeyOf(const std::string& keyPath) {
    return Utf16(NormalizeKeyPath(keyPath));
}

std::string TextOf(const std::vector<BYTE>& data, DWORD size) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    // The stored terminating zero, and any after it, is not part of the text.
    text.resize(std::wcslen(text.c_str()));
    return Utf8(text);
}

bool ToRegValue(DWORD type, const std::vector<BYTE>& data, DWORD size, RegValue* value) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            *value = RegValue{RegType::String, TextOf(data, size)};
            return true;
        case REG_BINARY:
            *value = RegValue{RegType::Binary, std::string(data.begin(), data.begin() + size)};
            return true;
        case REG_DWORD:
            if (size != 4) return false;
            *value = RegValue{RegType::Dword, std::string(data.begin(), data.begin() + size)};
            return true;
        default:
            return false;  // types this store does not read
    }
}

int CreateKey(const std::wstring& key, REGSAM access, KeyHandle* handle) {
    if (key.empty()) return EINVAL;
    return ErrnoOf(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, access, nullptr, handle->Out(),
                                   nullptr));
}

}  // namespace

bool RegReadKey(const std::string& keyPath, RegValues* values) {
    const std::wstring key = KeyOf(keyPath);
    KeyHandle handle;
    if (key.empty() || RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE,
                                     handle.Out()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD count = 0, longestName = 0, largestData = 0;
    if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(largestData + sizeof(wchar_t));
    values->clear();
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = largestData, type = 0;
        if (RegEnumValueW(handle.get(), index, name.data(), &nameLength, nullptr, &type,
                          data.data(), &size) != ERROR_SUCCESS) {
            continue;  // changed while being read: what is there now is read the next time
        }
        RegValue value;
        if (ToRegValue(type, data, size, &value))
            (*values)[Utf8(std::wstring(name.data(), nameLength))] = value;
    }
    return true;
}

int RegSetValue(const std::string& keyPath, const std::string& name, const RegValue& value) {
    DWORD type = REG_BINARY;
    std::wstring text;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(value.data.data());
    DWORD size = static_cast<DWORD>(value.data.size());
    if (value.type == RegType::String) {
        // A NUL would end the text for every reader.
        if (value.data.find('\0') != std::string::npos) return EINVAL;
        type = REG_SZ;
        text = Utf16(value.data);
        bytes = reinterpret_cast<const BYTE*>(text.c_str());
        size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    } else if (value.type == RegType::Dword) {
        if (value.data.size() != 4) return EINVAL;
        type = REG_DWORD;
    }
    KeyHandle handle;
    if (int error = CreateKey(KeyOf(keyPath), KEY_SET_VALUE, &handle)) return error;
    return ErrnoOf(RegSetValueExW(handle.get(), Utf16(name).c_str(), 0, type, bytes, size));
}

int RegCreateKey(const std::string& keyPath) {
    KeyHandle handle;
    return CreateKey(KeyOf(keyPath), KEY_QUERY_VALUE, &handle);
}

int RegDeleteValue(const std::string& keyPath, const std::string& name) {
    const std::wstring key = KeyOf(keyPath);
    if (key.empty()) return EINVAL;
    return ErrnoOf(RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), Utf16(name).c_str()));
}

int RegDeleteKey(const std::string& keyPath) {
    const std::wstring key = KeyOf(keyPath);
    if (key.empty()) return EINVAL;
    return ErrnoOf(RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()));
}

const char* StoreToolName() {
    return "reg";
}

}  // namespace platform
