// The switch rules every command shares: switches match case-insensitively, a value
// switch takes the next word whatever it looks like, anything else is skipped, and a
// value switch that is the last word is ignored.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

struct Switch {
    const char* name;                                 // lower case, e.g. "-f"
    std::function<void(const std::string&)> onValue;  // a value switch, or
    int* flag = nullptr;                              // a flag switch, set to flagValue
    int flagValue = 1;
    // A file switch: its value, then, where the shell has already expanded a pattern into
    // many words, each further word up to the next one that begins with '-'.
    std::vector<std::string>* files = nullptr;
};

// The value replaces the earlier one.
Switch ValueSwitch(const char* name, std::string* value);
Switch FlagSwitch(const char* name, int* flag, int flagValue = 1);
// The words replace the earlier ones.
Switch FileSwitch(const char* name, std::vector<std::string>* files);

void ScanSwitches(int argc, char** argv, std::initializer_list<Switch> switches);

std::string ToLower(std::string text);
