// Waiting on the GUI thread with Qt's event loop running, so that the IDE's windows and
// ours stay painted and answer while a request works.
#pragma once

#include <memory>

#include "scc/ui_waiter.h"

namespace brelmoxscc {

// On the application's own thread the event loop runs while it waits; on any other thread
// (which may not touch widgets) it simply waits.
std::unique_ptr<UiWaiter> MakeEventLoopWaiter();

}  // namespace brelmoxscc
