// Waiting on the IDE's thread with its messages dispatched, so that the IDE's windows and
// ours stay painted and answer while a request works.
#pragma once

#include <memory>

#include "scc/ui_waiter.h"

namespace brelmoxscc {

std::unique_ptr<UiWaiter> MakeMessageLoopWaiter();

}  // namespace brelmoxscc
