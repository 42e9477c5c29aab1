// The context the provider hands to the IDE: the client context, the dialogs that its
// messages and questions go to, and the lock that runs one request of it at a time.
#pragma once

#include <mutex>

#include "client/context.h"
#include "scc/provider_ui.h"

namespace brelmoxscc {

class ProviderContext : public brelmox::COstrelContext {
  public:
    explicit ProviderContext(ProviderUi& ui);

    ProviderUi& Ui() const { return ui_; }

    // The capability mask promises re-entrant calls: requests of one context still run one
    // at a time. Recursive, since a dialog's event loop may call back on the same thread.
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

  private:
    ProviderUi& ui_;
    std::recursive_mutex mutex_;
};

}  // namespace brelmoxscc
