#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

int RunLbl(brelmox::COstrelContext* context, int argc, char** argv) {
    std::string label;
    std::string description;
    ScanSwitches(argc, argv, {ValueSwitch("-l", &label), ValueSwitch("-d", &description)});
    return brelmox::CreateLabel(*context, label, description);
}
