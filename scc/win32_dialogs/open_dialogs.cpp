#include "scc/win32_dialogs/open_dialogs.h"

#include <commctrl.h>

namespace brelmoxscc {
namespace {

bool IsOpenDialogOfThisProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    return process == GetCurrentProcessId() && IsWindowVisible(window) &&
           std::wstring(className) == L"#32770";
}

BOOL CALLBACK CollectOpenDialog(HWND window, LPARAM list) {
    if (IsOpenDialogOfThisProcess(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

int TemplateOf(HWND dialog) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(dialog, kTemplateProperty)));
}

std::vector<HWND> OpenDialogsOfThisProcess() {
    std::vector<HWND> found;
    EnumWindows(CollectOpenDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring Text(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), text.size())));
    return text;
}

std::wstring ItemText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

std::wstring CellText(HWND list, int item, int column) {
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW cell{};
        cell.iSubItem = column;
        cell.pszText = text.data();
        cell.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell)));
        if (length + 1 < text.size()) return text.substr(0, length);
        text.resize(text.size() * 2);
    }
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace brelmoxscc
