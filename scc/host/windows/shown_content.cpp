#include "scc/host/windows/shown_content.h"

#include <commctrl.h>

#include <iostream>
#include <mutex>

#include "platform/windows/utf16.h"
#include "scc/win32_dialogs/dialog_ids.h"
#include "scc/win32_dialogs/open_dialogs.h"

namespace scchost {

namespace {

// The system's message box shows its text in a static control of this id.
constexpr int kMessageBoxTextId = 0xFFFF;

struct DialogName {
    int templateId;
    const char* name;
};
constexpr DialogName kDialogNames[] = {
    {IDD_LOGIN, "CLogin"},
    {IDD_SET_PROJECT, "CSetProject"},
    {IDD_SELECT_PROJECT, "CSelectProject"},
    {IDD_HISTORY, "CHistoryDlg"},
    {IDD_OPTIONS, "CCommandOptions"},
    {IDD_PROPERTIES, "CSCCPropertiesDlg"},
};

std::mutex printing;

std::string ClassOf(HWND window) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    return platform::Utf8(name);
}

std::string Utf8Text(HWND window) {
    return platform::Utf8(brelmoxscc::Text(window));
}

int ColumnCount(HWND list) {
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header == nullptr ? 1 : static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

void PrintRows(HWND list) {
    const int columns = ColumnCount(list);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::string line;
        for (int column = 0; column < columns; ++column) {
            line += (column == 0 ? "" : " | ") +
                    platform::Utf8(brelmoxscc::CellText(list, row, column));
        }
        Print("  row: " + line);
    }
}

bool IsReadOnlyEdit(HWND control) {
    return ClassOf(control) == "Edit" && (GetWindowLongW(control, GWL_STYLE) & ES_READONLY) != 0;
}

}  // namespace

const char* ProviderDialogName(int templateId) {
    for (const DialogName& known : kDialogNames) {
        if (known.templateId == templateId) return known.name;
    }
    return nullptr;
}

void Print(const std::string& line) {
    const std::lock_guard<std::mutex> lock(printing);
    std::cout << line << std::endl;
}

// Lists first, then the fields, as the Linux host prints them.
void PrintShownContent(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == WC_LISTVIEWA) PrintRows(child);
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsReadOnlyEdit(child))
            Print("  " + std::to_string(GetDlgCtrlID(child)) + ": " + Utf8Text(child));
    }
}

std::string MessageBoxText(HWND window) {
    const HWND text = GetDlgItem(window, kMessageBoxTextId);
    return text == nullptr || ClassOf(text) != "Static" ? std::string() : Utf8Text(text);
}

std::string Caption(HWND window) {
    return Utf8Text(window);
}

bool SelectVersion(HWND history, const std::string& version) {
    const HWND list = GetDlgItem(history, IDC_VERSIONS);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        if (platform::Utf8(brelmoxscc::CellText(list, row, 0)) != version) continue;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = 0;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        return true;
    }
    return false;
}

}  // namespace scchost
