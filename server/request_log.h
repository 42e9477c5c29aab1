// One line per request on standard error: script, user, status and milliseconds.
#pragma once

#include <chrono>
#include <string>

namespace server {

void LogRequest(const std::string& script, const std::string& user, int status,
                std::chrono::steady_clock::time_point started);

// Details the client is not told (a storage failure's cause).
void LogProblem(const std::string& script, const std::string& detail);

}  // namespace server
