#include "cli/commands.h"
#include "cli/missing_file.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

// A plain, non-recursive get. "-pbw" selects the transfer; we start with the transfer
// selected, so sync always fetches and "-pbw" changes nothing, rather than a sync
// without it silently doing nothing. Like any word sync does not know, it is skipped.
int RunSync(brelmox::COstrelContext* context, int argc, char** argv) {
    std::vector<std::string> files{""};
    std::string to;
    std::string label;
    std::string version;
    ScanSwitches(argc, argv,
                 {FileSwitch("-f", &files), ValueSwitch("-t", &to), ValueSwitch("-l", &label),
                  ValueSwitch("-v", &version)});
    return FetchEach(files, [&](const std::string& viewPath) {
        return brelmox::GetFiles(viewPath, to, 0, 0, 0, "", label, version, *context);
    });
}
