#include "scc/provider_context.h"

#include <memory>

#include "platform/host_code_page.h"
#include "scc/provider_notifier.h"

namespace brelmoxscc {

ProviderContext::ProviderContext(ProviderUi& ui) : ui_(ui), runner_(ui) {
    SetNotifier(std::make_unique<ProviderNotifier>(ui, runner_));
}

void ProviderContext::SendTextOut(const std::string& text) const {
    const LPTEXTOUTPROC callback = textOut_;
    // The texts name only what the IDE itself passed, so each has a spelling in its code
    // page; one that had none would not be sent in a changed form.
    std::string spelt;
    if (callback != nullptr && platform::ToHostCodePage(text, &spelt)) {
        callback(spelt.c_str(), SCC_MSG_INFO);
    }
}

ProviderContext::CallLock ProviderContext::Lock() {
    if (holder_ == std::this_thread::get_id()) return CallLock(nullptr);
    mutex_.lock();
    holder_ = std::this_thread::get_id();
    return CallLock(this);
}

ProviderContext::CallLock::~CallLock() {
    if (context_ == nullptr) return;
    context_->holder_ = std::thread::id();
    context_->mutex_.unlock();
}

}  // namespace brelmoxscc
