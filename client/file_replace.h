// Puts an archive's file in place without ever leaving a half-written target: the
// entry is unpacked beside the target and renamed over it only when it unpacked whole.
#pragma once

#include <string>

#include "client/context.h"

namespace brelmox {

// 0; -2027 after "Error decompressing '%s' to '%s'." (the old file is untouched); -1001
// after a file error. The archive is the caller's to remove, whatever the outcome.
int ReplaceFromArchive(const std::string& targetPath, const std::string& archivePath,
                       const COstrelContext& context);

}  // namespace brelmox
