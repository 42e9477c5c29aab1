#include "cli/commands.h"
#include "cli/missing_file.h"
#include "cli/switch_scan.h"
#include "client/operations.h"

namespace {

using RepositoryRequest = int (*)(brelmox::COstrelContext&, const std::string&, int);

// unco and rm differ only in the request. Each -f word is one request; without one, the
// empty view path is sent as it stands.
int ForEachViewPath(brelmox::COstrelContext& context, int argc, char** argv,
                    RepositoryRequest request) {
    std::vector<std::string> files{""};
    int recurse = 0;
    ScanSwitches(argc, argv, {FileSwitch("-f", &files), FlagSwitch("-r", &recurse)});
    int result = 0;
    for (const std::string& viewPath : files)
        KeepFailure(request(context, viewPath, recurse), &result);
    return result;
}

}  // namespace

int RunUnco(brelmox::COstrelContext* context, int argc, char** argv) {
    return ForEachViewPath(*context, argc, argv, brelmox::UncheckoutFiles);
}

int RunRm(brelmox::COstrelContext* context, int argc, char** argv) {
    return ForEachViewPath(*context, argc, argv, brelmox::RemoveFiles);
}
