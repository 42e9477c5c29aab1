// Exported: the entry points this provider answers with success and nothing else. Their
// out parameters are left as the IDE set them.
#include "scc/scc_api.h"

namespace {

SCCRTN NothingToDo() {
    return SCC_OK;
}

}  // namespace

SCCRTN SccAddFilesFromSCC(void*, HWND, LPSTR, LPSTR, LONG, LPCSTR*, LPCSTR, LPCSTR, LPBOOL) {
    return NothingToDo();
}

SCCRTN SccAddFromScc(void*, HWND, LPLONG, LPCSTR**) {
    return NothingToDo();
}

SCCRTN SccBackgroundGet(void*, LONG, LPCSTR*, DWORD, LONG) {
    return NothingToDo();
}

SCCRTN SccBeginBatch(void) {
    return NothingToDo();
}

SCCRTN SccCloseProject(void*) {
    return NothingToDo();
}

SCCRTN SccCreateSubProject(void*, HWND, LPSTR, LPCSTR, LPCSTR, LPSTR, LPSTR) {
    return NothingToDo();
}

SCCRTN SccDirDiff(void*, HWND, LPCSTR, LONG, LPCMDOPTS) {
    return NothingToDo();
}

SCCRTN SccDirQueryInfo(void*, LONG, LPCSTR*, LPLONG) {
    return NothingToDo();
}

SCCRTN SccEndBatch(void) {
    return NothingToDo();
}

SCCRTN SccEnumChangedFiles(void*, HWND, LONG, LPCSTR*, LONG*) {
    return NothingToDo();
}

SCCRTN SccGetEvents(void*, LPSTR, LPLONG, LPLONG) {
    return NothingToDo();
}

SCCRTN SccGetParentProjectPath(void*, HWND, LPSTR, LPCSTR, LPSTR, LPSTR) {
    return NothingToDo();
}

SCCRTN SccGetUserOption(void*, LONG, LPLONG) {
    return NothingToDo();
}

SCCRTN SccPopulateDirList(void*, LONG, LPCSTR*, POPDIRLISTFUNC, void*, LONG) {
    return NothingToDo();
}

SCCRTN SccPopulateList(void*, enum SCCCOMMAND, LONG, LPCSTR*, POPLISTFUNC, void*, LPLONG, LONG) {
    return NothingToDo();
}

SCCRTN SccQueryChanges(void*, LONG, LPCSTR*, QUERYCHANGESFUNC, void*) {
    return NothingToDo();
}

SCCRTN SccRemoveDir(void*, HWND, LPCSTR, LPCSTR, LONG, LPCMDOPTS) {
    return NothingToDo();
}

SCCRTN SccRename(void*, HWND, LPCSTR, LPCSTR) {
    return NothingToDo();
}

SCCRTN SccRunScc(void*, HWND, LONG, LPCSTR*) {
    return NothingToDo();
}

SCCRTN SccSetOption(void*, LONG, LONG) {
    return NothingToDo();
}

SCCRTN SccWillCreateSccFile(void*, LONG, LPCSTR*, LPBOOL) {
    return NothingToDo();
}
