#include <string>

#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/messages.h"

// Every switch is written at once and by itself, in the order given; nothing is
// checked and nothing is printed.
int RunCfg(COstrelContext*, int argc, char** argv) {
    const std::string key = BuildKeyPath(msg::kConfigKey);
    auto writer = [&key](const char* valueName) {
        return [&key, valueName](const std::string& text) { WriteRegString(key, valueName, text); };
    };
    ScanSwitches(argc, argv,
                 {{"-u", writer(msg::kValUsername)},
                  {"-pw", writer(msg::kValPassword)},
                  {"-o", writer(msg::kValOrganization)},
                  {"-pr", writer(msg::kValProject)}});
    return 0;
}
