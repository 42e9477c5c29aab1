#include <string>

#include "cli/commands.h"
#include "cli/switch_scan.h"
#include "client/messages.h"

// Every switch is written at once and by itself, in the order given; nothing is
// checked and nothing is printed.
int RunCfg(brelmox::COstrelContext*, int argc, char** argv) {
    const std::string key = brelmox::BuildKeyPath(brelmox::msg::kConfigKey);
    auto writer = [&key](const char* valueName) {
        return [&key, valueName](const std::string& text) {
            brelmox::WriteRegString(key, valueName, text);
        };
    };
    ScanSwitches(argc, argv,
                 {{"-u", writer(brelmox::msg::kValUsername)},
                  {"-pw", writer(brelmox::msg::kValPassword)},
                  {"-o", writer(brelmox::msg::kValOrganization)},
                  {"-pr", writer(brelmox::msg::kValProject)}});
    return 0;
}
