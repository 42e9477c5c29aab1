// brelmox-reg: puts keys and values into the configuration store, in the manner of the
// registry command of the original platform, as an installer or a person would.
#include <strings.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/program_info.h"
#include "reg/messages.h"
#include "reg/reg_tool.h"

namespace {

struct RegCommand {
    const char* verb;
    size_t operands;    // KEY, FILE, or KEY FILE
    unsigned switches;  // RegSwitch flags the command takes
    int (*run)(const RegArguments&);
};

const RegCommand kCommands[] = {
    {"add", 1, kNameSwitch | kTypeSwitch | kDataSwitch | kForceSwitch, RunAdd},
    {"query", 1, kNameSwitch, RunQuery},
    {"delete", 1, kNameSwitch | kForceSwitch, RunDelete},
    {"import", 1, 0, RunImport},
    {"export", 2, 0, RunExport},
};

const RegCommand* FindCommand(const char* verb) {
    for (const RegCommand& command : kCommands) {
        if (strcasecmp(verb, command.verb) == 0) return &command;
    }
    return nullptr;
}

int FailWithUsage(const char* format, const char* word) {
    Fail(format, word);
    std::fputs(reg_text::kUsage, stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (brelmox::AnswerInfoRequest(argc, argv, reg_text::kProgramName, reg_text::kUsage,
                                   std::cout)) {
        return 0;
    }
    if (argc < 2) {
        std::fputs(reg_text::kUsage, stderr);
        return 1;
    }
    const RegCommand* command = FindCommand(argv[1]);
    if (!command) return FailWithUsage(reg_text::kUnknownCommand, argv[1]);
    RegArguments arguments;
    std::vector<std::string> words(argv + 2, argv + argc);
    if (!ScanArguments(command->verb, words, command->switches, &arguments)) return 1;
    if (arguments.operands.size() != command->operands) {
        return FailWithUsage(reg_text::kWrongOperands, command->verb);
    }
    return command->run(arguments);
}
