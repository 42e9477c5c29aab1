#include "scc/provider_context.h"

#include <memory>

#include "scc/provider_notifier.h"

namespace brelmoxscc {

ProviderContext::ProviderContext(ProviderUi& ui) : ui_(ui) {
    SetNotifier(std::make_unique<ProviderNotifier>(ui));
}

void ProviderContext::SendTextOut(const std::string& text) const {
    const LPTEXTOUTPROC callback = textOut_;
    if (callback != nullptr) callback(text.c_str(), SCC_MSG_INFO);
}

}  // namespace brelmoxscc
