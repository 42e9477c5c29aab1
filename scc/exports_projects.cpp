// Exported: binding the IDE's project.
#include "scc/export_guard.h"
#include "scc/project_binding.h"

using namespace brelmoxscc;

SCCRTN SccOpenProject(void* pvContext, HWND, LPSTR, LPSTR lpProjName, LPCSTR lpLocalProjPath, LPSTR,
                      LPCSTR lpComment, LPTEXTOUTPROC lpTextOutProc, LONG dwFlags) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return OpenProject(context, lpProjName, lpLocalProjPath, lpComment, lpTextOutProc, dwFlags);
    });
}

SCCRTN SccGetProjPath(void* pvContext, HWND, LPSTR, LPSTR lpProjName, LPSTR lpLocalPath, LPSTR,
                      BOOL, LPBOOL) {
    return WithContext(pvContext, [&](ProviderContext& context) {
        return GetProjPath(context, lpProjName, lpLocalPath);
    });
}
