// What the provider shares across every context in the process: the IDE's text-output
// callback and the initialisation count. Both are safe to use from several threads.
#pragma once

#include <string>

#include "scc/scc_api.h"

namespace brelmoxscc {

// The callback of the latest project opening; null drops the messages.
void SetTextOutCallback(LPTEXTOUTPROC callback);
// Sends one informational message to the IDE's output window, if it gave a callback.
void SendTextOut(const std::string& text);

// The initialisation count of the platform's component services, which need no start-up
// here: only the count is kept. Each returns the count after the change; it never goes
// below zero.
int ComInitialize();
int ComUninitialize();

}  // namespace brelmoxscc
