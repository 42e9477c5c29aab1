// The local folder of one serving process: serve.lock, held while it serves, and tmp/,
// where uploads wait while they are received and checked.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace server {

// Creates the folder and its tmp/ when missing, takes serve.lock (StartupError when another
// server holds it) and removes what requests cut short left under tmp/.
platform::UniqueFd ClaimServingFolder(const std::string& root);

}  // namespace server
