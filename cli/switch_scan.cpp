#include "cli/switch_scan.h"

#include <cctype>

#include "platform/console.h"

std::string ToLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Switch ValueSwitch(const char* name, std::string* value) {
    return Switch{name, [value](const std::string& text) { *value = text; }};
}

Switch FlagSwitch(const char* name, int* flag, int flagValue) {
    return Switch{name, {}, flag, flagValue};
}

Switch FileSwitch(const char* name, std::vector<std::string>* files) {
    Switch file{name, {}};
    file.files = files;
    return file;
}

namespace {

// The first word is the value whatever it looks like, as for any value switch.
int TakeFiles(int argc, char** argv, int index, std::vector<std::string>* files) {
    files->assign({argv[++index]});
    if (!platform::ShellExpandsPatterns()) return index;
    while (index + 1 < argc && argv[index + 1][0] != '-') files->push_back(argv[++index]);
    return index;
}

}  // namespace

void ScanSwitches(int argc, char** argv, std::initializer_list<Switch> switches) {
    for (int index = 2; index < argc; ++index) {
        const std::string word = ToLower(argv[index]);
        for (const Switch& candidate : switches) {
            if (word != candidate.name) continue;
            if (candidate.flag != nullptr) {
                *candidate.flag = candidate.flagValue;
            } else if (index + 1 < argc && candidate.files != nullptr) {
                index = TakeFiles(argc, argv, index, candidate.files);
            } else if (index + 1 < argc) {
                candidate.onValue(argv[++index]);
            }
            break;
        }
    }
}
