// The library's entry point and its dialogs: the module handle is kept so that the dialogs
// find their templates in this library, whichever process loaded it.
#include <atomic>
#include <memory>

#include "platform/windows/windows_api.h"
#include "scc/export_guard.h"
#include "scc/win32_dialogs/win32_provider_ui.h"

namespace {

std::atomic<HINSTANCE> providerModule{nullptr};

}  // namespace

// Runs under the loader's lock: it only notes the handle.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) providerModule = module;
    return TRUE;
}

namespace brelmoxscc {

ProviderUi& ProcessUi() {
    // Made on first use, thread-safely, and shared by every context of the process.
    static const std::unique_ptr<ProviderUi> ui = MakeWin32ProviderUi(providerModule);
    return *ui;
}

}  // namespace brelmoxscc
