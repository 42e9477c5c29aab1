// How the IDE's thread waits for a provider request running on a worker thread: its windows
// are kept alive meanwhile, so the IDE never freezes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace brelmoxscc {

class UiWaiter {
  public:
    virtual ~UiWaiter() = default;
    // On the waiting thread: returns once Wake was called since the last return, or when the
    // timeout has passed, serving the thread's windows meanwhile.
    virtual void Wait(std::chrono::milliseconds timeout) = 0;
    // From any thread.
    virtual void Wake() = 0;
};

// Without windows to serve (no display, scripted tests) the thread simply waits.
class BlockingWaiter : public UiWaiter {
  public:
    void Wait(std::chrono::milliseconds timeout) override {
        std::unique_lock lock(mutex_);
        woken_.wait_for(lock, timeout, [this] { return wake_; });
        wake_ = false;
    }
    void Wake() override {
        std::lock_guard lock(mutex_);
        wake_ = true;
        woken_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
};

}  // namespace brelmoxscc
