#include "scc/host_channel.h"

#include <atomic>
#include <mutex>

namespace brelmoxscc {

namespace {

std::mutex callbackMutex;
LPTEXTOUTPROC textOutCallback = nullptr;
std::atomic<int> comCount{0};

}  // namespace

void SetTextOutCallback(LPTEXTOUTPROC callback) {
    std::lock_guard lock(callbackMutex);
    textOutCallback = callback;
}

void SendTextOut(const std::string& text) {
    LPTEXTOUTPROC callback = nullptr;
    {
        std::lock_guard lock(callbackMutex);
        callback = textOutCallback;
    }
    // Called outside the lock: the IDE may open a project again from its callback.
    if (callback != nullptr) callback(text.c_str(), SCC_MSG_INFO);
}

int ComInitialize() {
    return ++comCount;
}

int ComUninitialize() {
    int count = comCount.load();
    while (count > 0 && !comCount.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? count - 1 : 0;
}

}  // namespace brelmoxscc
