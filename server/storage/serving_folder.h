// The local folder of one serving process: serve.lock, held while it serves, and tmp/,
// where uploads wait while they are received and checked.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/file_system.h"

namespace server {

// Creates the folder and its tmp/ when missing, takes serve.lock (StartupError when another
// server holds it) and removes what requests cut short left under tmp/.
platform::UniqueFd ClaimServingFolder(const std::string& root);

// Throws StorageError saying that the data folder root is read-only when this process may
// not write one of paths: SQLite and the lock would fail later in words about themselves.
void RequireWritable(const std::string& root, std::initializer_list<std::string> paths);

}  // namespace server
