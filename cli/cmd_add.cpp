#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

namespace {

// add and ci differ only in the check-in flag sent with every file. The from text is
// passed exactly as typed, as the start of the walk and as its pattern.
int AddOrCheckIn(brelmox::COstrelContext& context, int argc, char** argv, int checkin) {
    std::string from;
    std::string to;
    std::string description;
    int recurse = 0;
    int preserve = 0;
    ScanSwitches(argc, argv,
                 {ValueSwitch("-f", &from), ValueSwitch("-t", &to), FlagSwitch("-r", &recurse),
                  FlagSwitch("-p", &preserve), ValueSwitch("-d", &description)});
    return brelmox::AddFiles(from, from, to, recurse, preserve, checkin, description, context);
}

}  // namespace

int RunAdd(brelmox::COstrelContext* context, int argc, char** argv) {
    return AddOrCheckIn(*context, argc, argv, 0);
}

int RunCi(brelmox::COstrelContext* context, int argc, char** argv) {
    return AddOrCheckIn(*context, argc, argv, 1);
}
