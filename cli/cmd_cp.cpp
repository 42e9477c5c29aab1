#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

// The new project is not made the configured one: "cfg -pr" does that.
int RunCp(brelmox::COstrelContext* context, int argc, char** argv) {
    std::string name;
    std::string description;
    ScanSwitches(argc, argv, {ValueSwitch("-n", &name), ValueSwitch("-d", &description)});
    return brelmox::CreateProject(*context, name, description);
}
