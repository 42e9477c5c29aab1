#include <iomanip>
#include <iostream>
#include <optional>
#include <vector>

#include "cli/commands.h"
#include "cli/json_line.h"
#include "cli/messages.h"
#include "cli/missing_file.h"
#include "cli/switch_scan.h"
#include "client/local_files.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace {

namespace status = brelmox::status;

// The widest state word, so that the versions line up.
constexpr int kStateWidth = 14;

struct StatusSwitches {
    std::vector<std::string> files;
    std::string to;
    int recurse = 0;
    int preserve = 0;
    int json = 0;
};

StatusSwitches ScanStatusSwitches(int argc, char** argv) {
    StatusSwitches found;
    ScanSwitches(argc, argv,
                 {FileSwitch("-f", &found.files), ValueSwitch("-t", &found.to),
                  FlagSwitch("-r", &found.recurse), FlagSwitch("-p", &found.preserve),
                  FlagSwitch("-json", &found.json)});
    return found;
}

const char* StateWord(int serverStatus) {
    switch (serverStatus) {
        case status::kNotCheckedOut:
            return climsg::kStateCheckedIn;
        case status::kCheckedOutByYou:
            return climsg::kStateCheckedOut;
        case status::kCheckedOutByOther:
            return climsg::kStateLocked;
        case status::kNotControlledRemoved:
        case status::kNotInRepository:
        case status::kNotControlled:
            return climsg::kStateNotControlled;
        default:
            return climsg::kStateUnknown;
    }
}

// A file the answer left out has no state: it is unknown, with no version and no status.
void PrintState(bool json, const std::string& localPath, const std::string& viewPath,
                const brelmox::FileState* state) {
    const char* word = state != nullptr ? StateWord(state->status) : climsg::kStateUnknown;
    const std::string version = state != nullptr ? state->version : "";
    if (json) {
        JsonLine()
            .Text("file", localPath)
            .Text("viewpath", viewPath)
            .Text("state", word)
            .Text("version", version)
            .Number("status", state != nullptr ? std::optional(state->status) : std::nullopt)
            .Print();
        return;
    }
    // "-" for no version keeps the first two columns one word each.
    std::cout << std::left << std::setw(kStateWidth) << word << "  "
              << (version.empty() ? "-" : version) << "  " << viewPath << '\n';
}

// The files of every from word, in order; a word that matches none is reported and fails
// the run, after the others have been shown.
int CollectStatusFiles(const brelmox::COstrelContext& context, const StatusSwitches& switches,
                       brelmox::LocalFiles* files) {
    int result = 0;
    for (const std::string& from : switches.files) {
        brelmox::LocalFiles found = brelmox::CollectLocalFiles(from, from, switches.to,
                                                               switches.recurse, switches.preserve);
        if (found.localPaths.empty() && !from.empty()) {
            KeepFailure(NoFileMatches(context, from), &result);
        }
        files->localPaths.insert(files->localPaths.end(), found.localPaths.begin(),
                                 found.localPaths.end());
        files->viewPaths.insert(files->viewPaths.end(), found.viewPaths.begin(),
                                found.viewPaths.end());
    }
    return result;
}

}  // namespace

bool StatusWantsJson(int argc, char** argv) {
    return ScanStatusSwitches(argc, argv).json != 0;
}

// The files are chosen and mapped as add and ci choose and map them, and asked in one query.
int RunStatus(brelmox::COstrelContext* context, int argc, char** argv) {
    const StatusSwitches switches = ScanStatusSwitches(argc, argv);
    brelmox::LocalFiles files;
    const int unmatched = CollectStatusFiles(*context, switches, &files);
    std::vector<std::optional<brelmox::FileState>> states;
    const int result = brelmox::QueryInfoMultiple(*context, files.viewPaths, &states);
    if (result != 0) return result;
    for (size_t i = 0; i < files.viewPaths.size(); ++i) {
        PrintState(switches.json != 0, files.localPaths[i], files.viewPaths[i],
                   states[i] ? &*states[i] : nullptr);
    }
    std::cout.flush();
    return unmatched;
}
