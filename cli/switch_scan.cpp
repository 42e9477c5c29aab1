#include "cli/switch_scan.h"

#include <cctype>

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

void ScanSwitches(int argc, char** argv, std::initializer_list<Switch> switches) {
    for (int index = 2; index < argc; ++index) {
        const std::string word = ToLower(argv[index]);
        for (const Switch& candidate : switches) {
            if (word != candidate.name) continue;
            if (candidate.flag != nullptr) {
                *candidate.flag = candidate.flagValue;
            } else if (index + 1 < argc) {
                candidate.onValue(argv[++index]);
            }
            break;
        }
    }
}
