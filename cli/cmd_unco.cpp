#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

int RunUnco(brelmox::COstrelContext* context, int argc, char** argv) {
    std::string files;
    int recurse = 0;
    ScanSwitches(argc, argv, {ValueSwitch("-f", &files), FlagSwitch("-r", &recurse)});
    return brelmox::UncheckoutFiles(*context, files, recurse);
}
