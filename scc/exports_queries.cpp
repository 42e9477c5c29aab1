// Exported: the files' states, history and properties, compare and the options.
#include "scc/command_options.h"
#include "scc/compare.h"
#include "scc/export_guard.h"
#include "scc/file_details.h"
#include "scc/ide_text.h"
#include "scc/status_queries.h"

using namespace brelmoxscc;

namespace {

// The IDE's callback, handed the IDE's own spelling of each file name.
struct IdeCallback {
    QUERYINFOEXFUNC callback;
    void* callerData;
    const IdeNames& names;
};

LONG SCC_CALL CallWithIdeNames(void* data, QueryInfoExRecord* record) {
    const auto& ide = *static_cast<const IdeCallback*>(data);
    record->path = ide.names.IdeSpelling(record->path);
    return ide.callback(ide.callerData, record);
}

}  // namespace

SCCRTN SccQueryInfo(void* pvContext, LONG nFiles, LPCSTR* lpFileNames, LPLONG lpStatus) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return QueryInfo(context, nFiles, IdeNames(nFiles, lpFileNames).Get(), lpStatus);
    });
}

SCCRTN SccQueryInfoEx(void* pvContext, LONG nFiles, LPCSTR* lpFileNames, LPLONG lpStatus,
                      QUERYINFOEXFUNC pfnCallback, void* pvCallerData) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        const IdeNames names(nFiles, lpFileNames);
        if (pfnCallback == nullptr) {
            return QueryInfoEx(context, nFiles, names.Get(), lpStatus, nullptr, nullptr);
        }
        IdeCallback ide{pfnCallback, pvCallerData, names};
        return QueryInfoEx(context, nFiles, names.Get(), lpStatus, CallWithIdeNames, &ide);
    });
}

SCCRTN SccHistory(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LONG, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return ShowHistory(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}

SCCRTN SccProperties(void* pvContext, HWND, LPCSTR lpFileName) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return ShowProperties(context, IdeText(lpFileName).Get());
    });
}

SCCRTN SccDiff(void* pvContext, HWND, LPCSTR lpFileName, LONG fOptions, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return Compare(context, IdeText(lpFileName).Get(), fOptions);
    });
}

SCCRTN SccGetCommandOptions(void* pvContext, HWND, enum SCCCOMMAND nCommand,
                            LPCMDOPTS* ppvOptions) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return GetCommandOptions(context, nCommand, ppvOptions);
    });
}
