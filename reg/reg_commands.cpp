// The five commands, each a thin layer over the configuration store.
#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/http_target.h"
#include "platform/registry_file.h"
#include "platform/registry_text.h"
#include "reg/messages.h"
#include "reg/reg_tool.h"
#include "reg/reg_values.h"

namespace {

std::string FullName(const std::string& key) {
    return reg_text::kRootName + key;
}

bool HasCurrentUserRoot(const std::string& word) {
    for (const std::string root : {"HKCU\\", "HKEY_CURRENT_USER\\"}) {
        if (platform::EqualsIgnoringCase(word.substr(0, root.size()), root)) return true;
    }
    return false;
}

// The key below HKEY_CURRENT_USER, or "" after a message. The store would take a key without
// its root, but such a word is most often one whose backslashes an unquoted shell ate.
std::string KeyOperand(const std::string& word) {
    std::string key = platform::NormalizeKeyPath(word);
    if (key.empty()) {
        Fail(reg_text::kBadKey, word.c_str());
    } else if (!HasCurrentUserRoot(word)) {
        Fail(reg_text::kKeyWithoutRoot, word.c_str());
        key.clear();
    }
    return key;
}

// A misspelt key is stored where nothing reads it, so it is stored with a warning.
void WarnOutsideProduct(const std::string& key) {
    const std::string product = reg_text::kProductKey;
    if (!platform::EqualsIgnoringCase(key, product) && !platform::IsSubkey(key, product)) {
        Warn(reg_text::kOutsideProduct, FullName(key).c_str(), product.c_str());
    }
}

// The address is stored without its scheme; "Secure" chooses HTTPS.
bool IsURLWithScheme(const std::string& name, const platform::RegValue& value) {
    return platform::EqualsIgnoringCase(name, reg_text::kURLName) &&
           value.type == platform::RegType::String && platform::HasWebScheme(value.data);
}

const char* ShownName(const std::string& name) {
    return name.empty() ? reg_text::kDefaultName : name.c_str();
}

int FailToWrite(const std::string& file, int error) {
    if (error == EINVAL) return Fail(reg_text::kLineBreak);
    return Fail("%s", platform::FileErrorText("write", file, error).c_str());
}

}  // namespace

// There is nobody to ask, so an existing value is overwritten with or without /f.
int RunAdd(const RegArguments& arguments) {
    std::string key = KeyOperand(arguments.operands[0]);
    if (key.empty()) return 1;
    std::string shown = FullName(key);
    if (!arguments.name && !arguments.type && !arguments.data) {
        WarnOutsideProduct(key);
        int error = platform::RegCreateKey(key);
        return error ? FailToWrite(platform::ConfigFilePath(), error)
                     : Report(reg_text::kKeyAdded, shown.c_str());
    }
    if (!arguments.name) return Fail(reg_text::kNeedsName);
    if (!arguments.data) return Fail(reg_text::kNeedsData);
    platform::RegValue value;
    if (!ParseRegData(arguments.type.value_or("REG_SZ"), *arguments.data, &value)) return 1;
    if (IsURLWithScheme(*arguments.name, value)) {
        return Fail(reg_text::kURLWithScheme, value.data.c_str());
    }
    WarnOutsideProduct(key);
    if (int error = platform::RegSetValue(key, *arguments.name, value)) {
        return FailToWrite(platform::ConfigFilePath(), error);
    }
    return Report(reg_text::kValueSet, ShownName(*arguments.name), shown.c_str());
}

int RunQuery(const RegArguments& arguments) {
    std::string key = KeyOperand(arguments.operands[0]);
    if (key.empty()) return 1;
    std::string shown = FullName(key);
    platform::RegValues values;
    if (!platform::RegReadKey(key, &values)) return Fail(reg_text::kKeyMissing, shown.c_str());
    if (arguments.name) {
        auto found = values.find(*arguments.name);
        if (found == values.end()) {
            return Fail(reg_text::kValueMissing, ShownName(*arguments.name), shown.c_str());
        }
        values = platform::RegValues{*found};
    }
    std::printf("%s\n", shown.c_str());
    for (const auto& [name, value] : values) {
        std::printf("    %s    %s    %s\n", ShownName(name), TypeName(value.type),
                    ShownData(value).c_str());
    }
    return 0;
}

int RunDelete(const RegArguments& arguments) {
    std::string key = KeyOperand(arguments.operands[0]);
    if (key.empty()) return 1;
    std::string shown = FullName(key);
    if (!arguments.force) return Fail(reg_text::kNeedsForce);
    if (arguments.name) {
        const char* name = ShownName(*arguments.name);
        int error = platform::RegDeleteValue(key, *arguments.name);
        if (error == ENOENT) return Fail(reg_text::kValueMissing, name, shown.c_str());
        if (error) return FailToWrite(platform::ConfigFilePath(), error);
        return Report(reg_text::kValueDeleted, name, shown.c_str());
    }
    int error = platform::RegDeleteKey(key);
    if (error == ENOENT) return Fail(reg_text::kKeyMissing, shown.c_str());
    if (error) return FailToWrite(platform::ConfigFilePath(), error);
    return Report(reg_text::kKeyDeleted, shown.c_str());
}

// The file's values get the checks of add before any of them is stored.
int RunImport(const RegArguments& arguments) {
    const std::string& file = arguments.operands[0];
    std::string message;
    std::vector<platform::RegImportedKey> keys;
    if (platform::RegReadImportFile(file, &keys, &message)) return Fail("%s", message.c_str());
    for (const platform::RegImportedKey& imported : keys) {
        for (const auto& [name, value] : imported.values) {
            if (IsURLWithScheme(name, value)) {
                return Fail(reg_text::kURLWithSchemeInFile, value.data.c_str(), file.c_str());
            }
        }
    }
    for (const platform::RegImportedKey& imported : keys) WarnOutsideProduct(imported.key);
    if (platform::RegImportFile(file, &message)) return Fail("%s", message.c_str());
    return Report(reg_text::kImported, file.c_str());
}

int RunExport(const RegArguments& arguments) {
    std::string key = KeyOperand(arguments.operands[0]);
    if (key.empty()) return 1;
    std::string shown = FullName(key);
    const std::string& file = arguments.operands[1];
    // Looked up first, so that a missing folder for the file is not taken for a missing key.
    platform::RegValues values;
    if (!platform::RegReadKey(key, &values)) return Fail(reg_text::kKeyMissing, shown.c_str());
    if (int error = platform::RegExportKey(key, file)) return FailToWrite(file, error);
    return Report(reg_text::kExported, shown.c_str(), file.c_str());
}
