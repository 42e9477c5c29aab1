// One line per request on standard error: script, user, status, milliseconds and, when
// storage failed, its cause (which the client is not told).
#pragma once

#include <chrono>
#include <string>

namespace server {

void LogRequest(const std::string& script, const std::string& user, int status,
                std::chrono::steady_clock::time_point started, const std::string& problem = "");

}  // namespace server
