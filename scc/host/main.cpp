// brelmox-scchost: loads the source-control provider as an IDE does and runs a sequence
// of calls against it, printing each result and the provider's text output.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/program_info.h"
#include "platform/console.h"
#include "platform/process.h"
#include "scc/host/dialog_host.h"
#include "scc/host/host_session.h"
#include "scc/host/provider_library.h"

namespace {

constexpr const char* kUsage =
    "usage: brelmox-scchost [--provider LIBRARY] [--answer ok|cancel] [--get-version V]\n"
    "                       [--cancel-progress CALL] [CALL...]\n"
    "  Without --provider, the provider an IDE would load. --answer has a scripted user "
    "answer\n"
    "  the dialogs; with ok, --get-version first gets version V from a history dialog.\n"
    "  With --answer, --cancel-progress CALL presses Cancel in the progress window the\n"
    "  first time it shows during each call of that name (e.g. add).\n"
    "  Each CALL is one argument; without any, calls are read from standard input, one a "
    "line.\n"
    "  Calls: version | init | uninit | open NAME FOLDER [createifnew] [silent] [-m TEXT]\n"
    "         getprojpath FOLDER | add FILE... | ci FILE... -m TEXT | co FILE... | get FILE...\n"
    "         unco FILE... | rm FILE... | status FILE... | statusex FILE... | history FILE\n"
    "         props FILE | diff FILE [quick] | options\n";

struct Options {
    std::string provider;  // "" for the one an IDE would load
    scchost::ScriptedAnswers answers;
    std::vector<std::string> calls;
};

// The option's value, or null for a word that is no option taking one.
std::string* OptionValue(const std::string& word, Options* options) {
    if (word == "--provider") return &options->provider;
    if (word == "--answer") return &options->answers.answer;
    if (word == "--get-version") return &options->answers.getVersion;
    if (word == "--cancel-progress") return &options->answers.cancelProgressIn;
    return nullptr;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (std::string* value = OptionValue(word, options); value != nullptr && i + 1 < argc) {
            *value = argv[++i];
        } else if (word.rfind("--", 0) == 0) {
            return false;
        } else {
            options->calls.push_back(word);
        }
    }
    // Without --answer nobody is scripted, so nobody could press Cancel either.
    const std::string& answer = options->answers.answer;
    if (answer.empty()) return options->answers.cancelProgressIn.empty();
    return answer == "ok" || answer == "cancel";
}

}  // namespace

int main(int systemArgc, char** systemArgv) {
    platform::ProgramConsole console(systemArgc, systemArgv);
    int argc = console.Argc();
    char** argv = console.Argv();
    if (brelmox::AnswerInfoRequest(argc, argv, "brelmox-scchost", kUsage, std::cout)) return 0;
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::cerr << kUsage;
        return 2;
    }
    scchost::ProviderLibrary library;
    std::string error;
    if ((options.provider.empty() && !scchost::FindDefaultProvider(&options.provider, &error)) ||
        !library.Load(options.provider, &error)) {
        std::cerr << "brelmox-scchost: " << error << std::endl;
        return 1;
    }
    // Once the provider is loaded: under Wine without a display, the scripted user's thread
    // looking at windows while the library loaded hung the host before its first call.
    const std::unique_ptr<scchost::DialogHost> dialogs =
        scchost::StartDialogHost(argc, argv, options.answers);
    scchost::HostSession session(library.Calls());
    bool understood = true;
    auto run = [&](const std::string& line) {
        if (line.empty() || line[0] == '#') return;
        const std::vector<std::string> words = platform::SplitCommandWords(line);
        dialogs->StartCall(words.empty() ? "" : words.front());
        understood = session.Run(words) && understood;
    };
    if (options.calls.empty()) {
        for (std::string line; std::getline(std::cin, line);) run(line);
    } else {
        for (const std::string& call : options.calls) run(call);
    }
    return understood ? 0 : 2;
}
