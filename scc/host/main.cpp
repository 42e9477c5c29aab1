// brelmox-scchost: loads the source-control provider as an IDE does and runs a sequence
// of calls against it, printing each result and the provider's text output.
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/process.h"
#include "scc/host/dialog_answerer.h"
#include "scc/host/host_session.h"
#include "scc/host/provider_library.h"

namespace {

constexpr const char* kUsage =
    "usage: brelmox-scchost [--provider LIBRARY] [--answer ok|cancel] [CALL...]\n"
    "  Each CALL is one argument; without any, calls are read from standard input, one a "
    "line.\n"
    "  Calls: version | init | uninit | open NAME FOLDER [createifnew] [silent] [-m TEXT]\n"
    "         getprojpath FOLDER | add FILE... | ci FILE... -m TEXT | co FILE... | get FILE...\n"
    "         unco FILE... | rm FILE... | status FILE... | statusex FILE... | history FILE\n"
    "         props FILE | diff FILE [quick] | options\n";

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// The provider in lib/ beside this program's folder, as the build lays it out, else where
// an installation puts libraries (on Debian a multiarch folder such as
// lib/x86_64-linux-gnu).
std::string DefaultProvider() {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path built = folder / "../lib/libbrelmoxscc.so";
    if (std::filesystem::exists(built, error)) return built.lexically_normal().string();
    return (folder / BRELMOX_INSTALLED_LIBRARY_DIR / "libbrelmoxscc.so")
        .lexically_normal()
        .string();
}

struct Options {
    std::string provider = DefaultProvider();
    std::string answer;  // "" lets a person answer the dialogs
    std::vector<std::string> calls;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if ((word == "--provider" || word == "--answer") && i + 1 < argc) {
            (word == "--provider" ? options->provider : options->answer) = argv[++i];
        } else if (word.rfind("--", 0) == 0) {
            return false;
        } else {
            options->calls.push_back(word);
        }
    }
    return options->answer.empty() || options->answer == "ok" || options->answer == "cancel";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::cerr << kUsage;
        return 2;
    }
    // A host with a display is a Qt program, as an IDE is; the provider then uses its
    // application object.
    std::unique_ptr<QApplication> application;
    std::unique_ptr<scchost::DialogAnswerer> answerer;
    if (HasDisplay()) {
        application = std::make_unique<QApplication>(argc, argv);
        if (!options.answer.empty()) {
            answerer = std::make_unique<scchost::DialogAnswerer>(options.answer == "ok");
        }
    }
    scchost::ProviderLibrary library;
    std::string error;
    if (!library.Load(options.provider, &error)) {
        std::cerr << "brelmox-scchost: " << error << std::endl;
        return 1;
    }
    scchost::HostSession session(library.Calls());
    bool understood = true;
    auto run = [&](const std::string& line) {
        if (line.empty() || line[0] == '#') return;
        if (answerer) answerer->StartCall();
        understood = session.Run(platform::SplitCommandWords(line)) && understood;
    };
    if (options.calls.empty()) {
        for (std::string line; std::getline(std::cin, line);) run(line);
    } else {
        for (const std::string& call : options.calls) run(call);
    }
    return understood ? 0 : 2;
}
