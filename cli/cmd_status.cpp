#include <iomanip>
#include <iostream>
#include <vector>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/switch_scan.h"
#include "client/local_files.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace {

namespace status = brelmox::status;

// The widest state word, so that the versions line up.
constexpr int kStateWidth = 14;

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

// A file the answer left out has no state; an empty version shows as "-" so that the
// first two columns are always one word each.
void PrintState(const std::string& viewPath, const brelmox::FileState* state) {
    const std::string version = state != nullptr ? state->version : "";
    std::cout << std::left << std::setw(kStateWidth)
              << (state != nullptr ? StateWord(state->status) : climsg::kStateUnknown) << "  "
              << (version.empty() ? "-" : version) << "  " << viewPath << '\n';
}

}  // namespace

// The files are chosen and mapped as add and ci choose and map them, and asked in one query.
int RunStatus(brelmox::COstrelContext* context, int argc, char** argv) {
    std::string from;
    std::string to;
    int recurse = 0;
    int preserve = 0;
    ScanSwitches(argc, argv,
                 {ValueSwitch("-f", &from), ValueSwitch("-t", &to), FlagSwitch("-r", &recurse),
                  FlagSwitch("-p", &preserve)});
    const brelmox::LocalFiles files = brelmox::CollectLocalFiles(from, from, to, recurse, preserve);
    std::vector<brelmox::FileState> states;
    const int result = brelmox::QueryInfoMultiple(*context, files.viewPaths, &states);
    if (result != 0) return result;
    for (size_t i = 0; i < files.viewPaths.size(); ++i) {
        PrintState(files.viewPaths[i], i < states.size() ? &states[i] : nullptr);
    }
    std::cout.flush();
    return result;
}
