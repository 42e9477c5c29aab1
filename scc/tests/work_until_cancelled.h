// The work of a long request in the progress window tests of both platforms' dialogs.
#pragma once

#include <chrono>
#include <thread>

#include "scc/busy_runner.h"

namespace scctest {

// Reports a large transfer, then works until the user's Cancel arrives. Bounded: false when it
// never did, so that a test fails rather than hangs.
inline bool WorkUntilCancelled(brelmoxscc::BusyRunner& runner) {
    using namespace std::chrono_literals;
    runner.SetBytes("big.bin", 12u << 20, 256u << 20);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!runner.Cancelled() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    return runner.Cancelled();
}

}  // namespace scctest
