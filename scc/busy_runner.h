// Runs the provider's requests on a worker thread while the IDE's thread that called the
// provider keeps its windows alive. What the worker wants shown is shown on the IDE's
// thread; once a request takes long a progress window with Cancel appears, and Cancel
// aborts the transfer in flight.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "scc/provider_ui.h"

namespace brelmoxscc {

// A request taking longer than this gets the progress window.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

class BusyRunner {
  public:
    explicit BusyRunner(ProviderUi& ui) : ui_(ui) {}

    // Runs work on a worker thread and serves this thread until it is done; action is the
    // progress window's first line. Inside another run's work it runs in place. An exception
    // of the work is thrown here.
    void Run(const std::string& action, const std::function<void()>& work);

    // Whether the user pressed Cancel during the latest run. From any thread.
    bool Cancelled() const { return cancelled_; }

    // The following may be called from any thread; during a run they reach the thread that
    // called Run, otherwise they act in place.
    // Runs show there and returns once it has run.
    void Show(const std::function<void()>& show);
    // Starts counting items; with showNow the window opens at the first item rather than
    // once the request takes long.
    void BeginItems(const std::string& action, bool showNow);
    // The item under way, shown as the window's second line; false once cancelled.
    bool StepItem(const std::string& item);
    // The bytes of the item's transfer; large ones are shown beside its name.
    void SetBytes(const std::string& name, uint64_t done, uint64_t total);

  private:
    struct Task {
        const std::function<void()>* show;
        bool done = false;
    };
    bool OnCallingThread() const;
    void Serve();
    // Runs what the worker posted; false once the work has ended and nothing is left.
    bool RunPosted();
    void OpenWindow();
    void RefreshWindow();
    std::string FileLine() const;

    ProviderUi& ui_;
    std::atomic<bool> cancelled_{false};

    mutable std::mutex mutex_;
    std::condition_variable shown_;
    bool running_ = false;
    std::thread::id caller_;
    std::deque<Task*> posted_;
    bool finished_ = false;
    std::string action_;
    std::string item_;
    std::string bytesName_;
    uint64_t bytesDone_ = 0;
    uint64_t bytesTotal_ = 0;
    bool showNow_ = false;

    // The calling thread's own, during a run.
    std::unique_ptr<UiWaiter> waiter_;
    std::unique_ptr<ProgressWindow> window_;
    std::string shownAction_;
    std::string shownLine_;
};

// The file line of a transfer: "NAME — 12.0 of 256.0 MiB" for one of a mebibyte or more, else
// the name alone.
std::string ItemWithBytes(const std::string& name, uint64_t done, uint64_t total);

}  // namespace brelmoxscc
