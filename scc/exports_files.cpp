// Exported: the file commands. The window handle, options and the comments of add,
// check-out and remove are not used.
#include "scc/export_guard.h"
#include "scc/file_commands.h"
#include "scc/ide_text.h"

using namespace brelmoxscc;

SCCRTN SccAdd(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LPCSTR, LONG*, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return AddToRepository(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}

SCCRTN SccCheckin(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LPCSTR lpComment, LONG,
                  LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return CheckIn(context, nFiles, IdeNames(nFiles, lpFileNames).Get(),
                       IdeText(lpComment).Get());
    });
}

SCCRTN SccCheckout(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LPCSTR, LONG,
                   LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return CheckOut(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}

SCCRTN SccGet(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LONG, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return GetLatest(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}

SCCRTN SccUncheckout(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LONG, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return UndoCheckOut(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}

SCCRTN SccRemove(void* pvContext, HWND, LONG nFiles, LPCSTR* lpFileNames, LPCSTR, LONG, LPCMDOPTS) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return RemoveFromRepository(context, nFiles, IdeNames(nFiles, lpFileNames).Get());
    });
}
