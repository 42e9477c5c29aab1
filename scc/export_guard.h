// What every exported function does before its work: no exception crosses into the IDE,
// a null context is refused, and the calls on one context run one at a time. A call made
// while the same thread is inside another one on the context (the IDE's windows are served
// while a request works, and an IDE may call again from them) is refused at once.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// The dialogs of this process (Qt's on Linux, Win32 on Windows), shared by every context.
ProviderUi& ProcessUi();

template <typename Body>
SCCRTN Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return SCC_E_NONSPECIFICERROR;
    }
}

// What a call on a context already busy on this thread gets.
inline constexpr SCCRTN kContextBusy = SCC_E_NONSPECIFICERROR;

template <typename Body>
SCCRTN WithContext(void* ideContext, Body&& body) noexcept {
    if (ideContext == nullptr) return SCC_E_NONSPECIFICERROR;
    auto& context = *static_cast<ProviderContext*>(ideContext);
    return Guarded([&] {
        const auto lock = context.Lock();
        if (!lock) return kContextBusy;
        return body(context);
    });
}

}  // namespace brelmoxscc
