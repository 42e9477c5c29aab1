// Undo check-out and remove: one request naming files, one record per file acted on.
#pragma once

#include <string>

#include "client/context.h"

namespace brelmox {

struct RepositoryAction {
    const char* script;
    const char* sendFailure;  // shown when the send fails after its retries
    const char* done;         // "File '%s' ... from '%s'."
    const char* doneAtRoot;   // "File '%s' ... from root."
};

// 0 when every record succeeded, else the last failing record's status, or the
// transport's code. Refusals are always shown; successes only in console mode.
int ActOnRepositoryFiles(COstrelContext& context, const RepositoryAction& action,
                         const std::string& viewPath, int recurse);

}  // namespace brelmox
