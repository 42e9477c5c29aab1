// Held while a finished download takes its target's place, a step that must not be cut in
// two: between unmarking the new file for deletion and renaming it over the target, an end
// of the process would leave it beside the old one.
#pragma once

#include <mutex>

namespace platform {

std::mutex& ReplacementCommitLock();

}  // namespace platform
