// brelmox-reg: the command table's pieces. Each command gets its scanned arguments,
// prints one line of what it did and returns the exit status (0, or 1 after a message).
#pragma once

#include <optional>
#include <string>
#include <vector>

// The switches a command takes, as flags in the command table.
enum RegSwitch : unsigned {
    kNameSwitch = 1,  // /v NAME, or /ve for the default value
    kTypeSwitch = 2,  // /t TYPE
    kDataSwitch = 4,  // /d DATA
    kForceSwitch = 8  // /f
};

struct RegArguments {
    std::vector<std::string> operands;  // KEY and FILE, in order
    std::optional<std::string> name;    // "" for /ve
    std::optional<std::string> type;
    std::optional<std::string> data;
    bool force = false;
};

// Switch words match without regard to case; any other word is an operand, since a file
// path may begin with '/'. False after a message for a switch the command does not take,
// one given twice or one missing its word.
bool ScanArguments(const char* verb, const std::vector<std::string>& words, unsigned allowed,
                   RegArguments* arguments);

// A message on standard error after the program's name; returns 1, the failure status.
__attribute__((format(printf, 1, 2))) int Fail(const char* format, ...);
// A warning on standard error after the program's name; the command goes on.
__attribute__((format(printf, 1, 2))) void Warn(const char* format, ...);
// A line on standard output; returns 0.
__attribute__((format(printf, 1, 2))) int Report(const char* format, ...);

int RunAdd(const RegArguments& arguments);
int RunQuery(const RegArguments& arguments);
int RunDelete(const RegArguments& arguments);
int RunImport(const RegArguments& arguments);
int RunExport(const RegArguments& arguments);
