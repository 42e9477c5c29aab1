#include "scc/provider_context.h"

#include <memory>

#include "scc/provider_notifier.h"

namespace brelmoxscc {

ProviderContext::ProviderContext(ProviderUi& ui) : ui_(ui) {
    SetNotifier(std::make_unique<ProviderNotifier>(ui));
}

}  // namespace brelmoxscc
