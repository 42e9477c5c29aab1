#include "cli/commands.h"
#include "cli/view_path_requests.h"
#include "client/operations.h"

int RunUnco(brelmox::COstrelContext* context, int argc, char** argv) {
    return ForEachViewPath(*context, argc, argv, brelmox::UncheckoutFiles);
}
