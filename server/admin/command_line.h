// The administration command line of brelmox-server.
#pragma once

#include <string>
#include <vector>

namespace server {

// The text --help prints: every command and its options.
const char* Usage();

// Runs one command; the exit status: 0 on success, 1 with a message on standard error.
int RunCommandLine(const std::vector<std::string>& arguments);

}  // namespace server
