#include "cli/view_path_requests.h"

#include <vector>

#include "cli/missing_file.h"
#include "cli/switch_scan.h"

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
