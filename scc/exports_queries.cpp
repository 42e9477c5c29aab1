// Exported: the files' states, history and properties, compare and the options.
#include "scc/command_options.h"
#include "scc/compare.h"
#include "scc/export_guard.h"
#include "scc/file_details.h"
#include "scc/status_queries.h"

using namespace brelmoxscc;

SCCRTN SccQueryInfo(void* pvContext, LONG nFiles, LPCSTR* lpFileNames, LPLONG lpStatus) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return QueryInfo(context, nFiles, lpFileNames, lpStatus);
    });
}

SCCRTN SccQueryInfoEx(void* pvContext, LONG nFiles, LPCSTR* lpFileNames, LPLONG lpStatus,
                      QUERYINFOEXFUNC pfnCallback, void* pvCallerData) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return QueryInfoEx(context, nFiles, lpFileNames, lpStatus, pfnCallback, pvCallerData);
    });
}

SCCRTN SccHistory(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LONG, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return ShowHistory(context, nFiles, lpFileNames);
    });
}

SCCRTN SccProperties(void* pvContext, HWND, LPCSTR lpFileName) {
    return WithContext(
        pvContext, [&](ProviderContext& context) { return ShowProperties(context, lpFileName); });
}

SCCRTN SccDiff(void* pvContext, HWND, LPCSTR lpFileName, LONG fOptions, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return Compare(context, lpFileName, fOptions);
    });
}

SCCRTN SccGetCommandOptions(void* pvContext, HWND, enum SCCCOMMAND nCommand,
                            LPCMDOPTS* ppvOptions) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return GetCommandOptions(context, nCommand, ppvOptions);
    });
}
