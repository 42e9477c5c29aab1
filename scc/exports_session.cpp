// Exported: the session's start and end, and the fixed answers.
#include "scc/export_guard.h"
#include "scc/lifecycle.h"

using namespace brelmoxscc;

LONG SccGetVersion(void) {
    return kInterfaceVersion;
}

SCCRTN SccInitialize(void** ppContext, HWND, LPCSTR lpCallerName, LPSTR lpSccName, LPLONG lpSccCaps,
                     LPSTR lpAuxPathLabel, LPLONG pnCheckoutCommentLen, LPLONG pnCommentLen) {
    return Guarded([&] {
        return Initialize(ProcessUi(), ppContext, lpCallerName, lpSccName, lpSccCaps,
                          lpAuxPathLabel, pnCheckoutCommentLen, pnCommentLen);
    });
}

SCCRTN SccUninitialize(void* pContext) {
    return Guarded([&] { return Uninitialize(pContext); });
}

SCCRTN SccIsMultiCheckoutEnabled(void*, LPBOOL pbMultiCheckout) {
    if (pbMultiCheckout != nullptr) *pbMultiCheckout = 0;
    return SCC_OK;
}

SCCRTN SccGetExtendedCapabilities(void*, LONG, LPBOOL pbSupported) {
    if (pbSupported != nullptr) *pbSupported = 0;
    return SCC_OK;
}
