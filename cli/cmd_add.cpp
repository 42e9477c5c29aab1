#include "cli/commands.h"
#include "cli/missing_file.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

namespace {

// add and ci differ only in the check-in flag sent with every file. Each from word is
// passed exactly as typed, as the start of its walk and as its pattern.
int AddOrCheckIn(brelmox::COstrelContext& context, int argc, char** argv, int checkin) {
    std::vector<std::string> files;
    std::string to;
    std::string description;
    int recurse = 0;
    int preserve = 0;
    ScanSwitches(argc, argv,
                 {FileSwitch("-f", &files), ValueSwitch("-t", &to), FlagSwitch("-r", &recurse),
                  FlagSwitch("-p", &preserve), ValueSwitch("-d", &description)});
    int result = 0;
    for (const std::string& from : files) {
        size_t found = 0;
        KeepFailure(brelmox::AddFiles(from, from, to, recurse, preserve, checkin, description,
                                      context, &found),
                    &result);
        if (found == 0 && !from.empty()) KeepFailure(NoFileMatches(context, from), &result);
    }
    return result;
}

}  // namespace

int RunAdd(brelmox::COstrelContext* context, int argc, char** argv) {
    return AddOrCheckIn(*context, argc, argv, 0);
}

int RunCi(brelmox::COstrelContext* context, int argc, char** argv) {
    return AddOrCheckIn(*context, argc, argv, 1);
}
