#pragma once
#include <memory>
#include "platform/windows/windows_api.h"
#include "scc/provider_ui.h"
namespace brelmoxscc {
// The provider's dialogs, from the resource templates linked into `resources` (the
// provider library's own module).
std::unique_ptr<ProviderUi> MakeWin32ProviderUi(HINSTANCE resources);
}  // namespace brelmoxscc
