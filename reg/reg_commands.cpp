// The five commands, each a thin layer over the configuration store.
#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/registry_file.h"
#include "reg/messages.h"
#include "reg/reg_tool.h"
#include "reg/reg_values.h"

namespace {

// The key below HKEY_CURRENT_USER, or "" after a message.
std::string KeyOperand(const std::string& word) {
    std::string key = platform::NormalizeKeyPath(word);
    if (key.empty()) Fail(reg_text::kBadKey, word.c_str());
    return key;
}

std::string FullName(const std::string& key) {
    return reg_text::kRootName + key;
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
        int error = platform::RegCreateKey(key);
        return error ? FailToWrite(platform::ConfigFilePath(), error)
                     : Report(reg_text::kKeyAdded, shown.c_str());
    }
    if (!arguments.name) return Fail(reg_text::kNeedsName);
    if (!arguments.data) return Fail(reg_text::kNeedsData);
    platform::RegValue value;
    if (!ParseRegData(arguments.type.value_or("REG_SZ"), *arguments.data, &value)) return 1;
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

int RunImport(const RegArguments& arguments) {
    const std::string& file = arguments.operands[0];
    std::string message;
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
