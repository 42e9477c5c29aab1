// The context the provider hands to the IDE: the client context, the dialogs that its
// messages and questions go to, the IDE's output window, the runner that keeps the IDE's
// windows alive while a request works, and the lock that runs one call of it at a time.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "client/context.h"
#include "scc/busy_runner.h"
#include "scc/provider_ui.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

class ProviderContext : public brelmox::COstrelContext {
  public:
    explicit ProviderContext(ProviderUi& ui);

    ProviderUi& Ui() const { return ui_; }

    // The text-output callback of this context's latest project opening; null drops the
    // messages. Each context keeps its own, so that two IDE sessions never write into each
    // other's output window.
    void SetTextOut(LPTEXTOUTPROC callback) { textOut_ = callback; }
    // Sends one informational message to the IDE's output window, if it gave a callback.
    void SendTextOut(const std::string& text) const;

    // Runs one request of the library on a worker thread while this thread keeps its windows
    // alive (see BusyRunner); action names it in the progress window.
    template <typename Work>
    auto Busy(const char* action, Work&& work) {
        decltype(work()) result{};
        runner_.Run(action, [&] { result = work(); });
        return result;
    }
    // Whether the user cancelled the latest request.
    bool Cancelled() const { return runner_.Cancelled(); }

    // Held for one call of the IDE. Calls from other threads wait their turn; a call on the
    // thread that holds it (the IDE called again while the provider kept its windows alive)
    // gets an empty lock at once rather than a second use of the context.
    class CallLock {
      public:
        explicit CallLock(ProviderContext* context) : context_(context) {}
        CallLock(CallLock&& other) noexcept : context_(std::exchange(other.context_, nullptr)) {}
        CallLock& operator=(CallLock&&) = delete;
        ~CallLock();
        explicit operator bool() const { return context_ != nullptr; }

      private:
        ProviderContext* context_;
    };
    CallLock Lock();

  private:
    ProviderUi& ui_;
    std::atomic<LPTEXTOUTPROC> textOut_{nullptr};
    BusyRunner runner_;
    std::mutex mutex_;
    std::atomic<std::thread::id> holder_{};
};

}  // namespace brelmoxscc
