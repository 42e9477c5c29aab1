#include "cli/commands.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "cli/console_notifier.h"
#include "cli/json_notifier.h"
#include "cli/messages.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

namespace {

constexpr Command kCommands[] = {
    {"cfg", RunCfg, Startup::None},
    {"add", RunAdd, Startup::UserAndProject},
    {"ci", RunCi, Startup::UserAndProject},
    {"get", RunGet, Startup::UserAndProject},
    {"co", RunCo, Startup::UserAndProject},
    {"unco", RunUnco, Startup::UserAndProject},
    {"lbl", RunLbl, Startup::UserAndProject},
    {"rm", RunRm, Startup::UserAndProject},
    {"cp", RunCp, Startup::User},
    {"sync", RunSync, Startup::UserAndProject},
    {"status", RunStatus, Startup::UserAndProject, StatusWantsJson},
    {"history", RunHistory, Startup::UserAndProject, HistoryWantsJson},
};

int StartAndRun(const Command& command, brelmox::COstrelContext& context, int argc, char** argv) {
    const int result =
        brelmox::ConnectAndValidate(context, command.startup == Startup::UserAndProject ? 1 : 0);
    if (result != 0) return result;
    return command.run(&context, argc, argv);
}

}  // namespace

const Command* FindCommand(const char* word) {
    const std::string lowered = ToLower(word != nullptr ? word : "");
    for (const Command& command : kCommands) {
        if (lowered == command.word) return &command;
    }
    return nullptr;
}

int RunCommand(const Command& command, int argc, char** argv) {
    if (command.startup == Startup::None) return command.run(nullptr, argc, argv);
    auto context = std::make_unique<brelmox::COstrelContext>();
    if (command.wantsJson == nullptr || !command.wantsJson(argc, argv)) {
        context->SetNotifier(std::make_unique<ConsoleNotifier>(ProgressMeter::ForStandardError()));
        return StartAndRun(command, *context, argc, argv);
    }
    auto notifier = std::make_unique<JsonNotifier>();
    const JsonNotifier& json = *notifier;
    context->SetNotifier(std::move(notifier));
    const int result = StartAndRun(command, *context, argc, argv);
    json.ReportResult(result);
    return result;
}

void PrintUsage() {
    bool first = true;
    for (const climsg::UsageLine& line : climsg::kUsage) {
        if (first) {
            char heading[64];
            std::snprintf(heading, sizeof heading, line.text, climsg::kProgramVersion);
            std::cout << heading << std::endl;
            first = false;
        } else {
            std::cout << line.text << std::endl;
        }
        if (line.blankAfter) std::cout << std::endl;
    }
}
