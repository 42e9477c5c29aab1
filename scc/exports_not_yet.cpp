// Exported: status, history, properties, compare and options are not served yet. The
// entry points exist because IDEs refuse a provider that lacks any of them.
#include "scc/scc_api.h"

SCCRTN SccQueryInfo(void*, LONG, LPCSTR*, LPLONG) {
    return SCC_E_OPNOTSUPPORTED;
}

SCCRTN SccQueryInfoEx(void*, LONG, LPCSTR*, LPLONG, QUERYINFOEXFUNC, void*) {
    return SCC_E_OPNOTSUPPORTED;
}

SCCRTN SccHistory(void*, HWND, LONG, LPCSTR*, LONG, LPCMDOPTS) {
    return SCC_E_OPNOTSUPPORTED;
}

SCCRTN SccProperties(void*, HWND, LPCSTR) {
    return SCC_E_OPNOTSUPPORTED;
}

SCCRTN SccDiff(void*, HWND, LPCSTR, LONG, LPCMDOPTS) {
    return SCC_E_OPNOTSUPPORTED;
}

SCCRTN SccGetCommandOptions(void*, HWND, enum SCCCOMMAND, LPCMDOPTS*) {
    return SCC_E_OPNOTSUPPORTED;
}
