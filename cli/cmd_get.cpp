#include "cli/commands.h"
#include "cli/missing_file.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

namespace {

// get and co differ only in the check-out flag sent with the request. Each from word is
// one request; no word at all is the empty one, which asks for a file.
int GetOrCheckOut(brelmox::COstrelContext& context, int argc, char** argv, int checkout) {
    std::vector<std::string> files{""};
    std::string to;
    std::string description;
    std::string label;
    std::string version;
    int recurse = 0;
    int preserve = 0;
    ScanSwitches(argc, argv,
                 {FileSwitch("-f", &files), ValueSwitch("-t", &to), FlagSwitch("-r", &recurse),
                  FlagSwitch("-p", &preserve), ValueSwitch("-d", &description),
                  ValueSwitch("-l", &label), ValueSwitch("-v", &version)});
    return FetchEach(files, [&](const std::string& viewPath) {
        return brelmox::GetFiles(viewPath, to, recurse, preserve, checkout, description, label,
                                 version, context);
    });
}

}  // namespace

int RunGet(brelmox::COstrelContext* context, int argc, char** argv) {
    return GetOrCheckOut(*context, argc, argv, 0);
}

int RunCo(brelmox::COstrelContext* context, int argc, char** argv) {
    return GetOrCheckOut(*context, argc, argv, 1);
}
