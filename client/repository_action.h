// Undo check-out and remove: one request naming files, one record per file acted on.
#pragma once

#include <string>

#include "client/context.h"
#include "client/notifier.h"

namespace brelmox {

struct RepositoryAction {
    const char* script;
    const char* sendFailure;  // shown when the send fails after its retries
    FileAction action;        // what each record's outcome reports
};

// 0 when every record succeeded, else the last failing record's status, or the
// transport's code. Every record, refused or not, is one FileDone.
int ActOnRepositoryFiles(COstrelContext& context, const RepositoryAction& action,
                         const std::string& viewPath, int recurse);

}  // namespace brelmox
