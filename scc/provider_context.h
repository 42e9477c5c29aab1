// The context the provider hands to the IDE: the client context, the dialogs that its
// messages and questions go to, the IDE's output window, and the lock that runs one request
// of it at a time.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "client/context.h"
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

    // The capability mask promises re-entrant calls: requests of one context still run one
    // at a time. Recursive, since a dialog's event loop may call back on the same thread.
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

  private:
    ProviderUi& ui_;
    std::atomic<LPTEXTOUTPROC> textOut_{nullptr};
    std::recursive_mutex mutex_;
};

}  // namespace brelmoxscc
