#include "scc/win32_dialogs/history_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cwchar>

#include "common/format.h"
#include "platform/windows/utf16.h"
#include "scc/history_columns.h"
#include "scc/messages.h"
#include "scc/win32_dialogs/dialog_ids.h"
#include "scc/win32_dialogs/open_dialogs.h"
#include "scc/win32_dialogs/pickers.h"

namespace brelmoxscc {
namespace {

using brelmox::CFileVersion;

constexpr int kButtons[] = {IDC_GET_VERSION, IDOK};

void AddColumns(HWND list) {
    for (int index = 0; const HistoryColumn& column : kHistoryColumns) {
        std::wstring header = platform::Utf16(column.header);
        LVCOLUMNW shown{};
        shown.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        shown.fmt = LVCFMT_LEFT;
        shown.cx = column.pixels;
        shown.pszText = header.data();
        shown.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&shown));
    }
}

// Each row goes on top, so the last version received ends up first.
void AddRowOnTop(HWND list, const CFileVersion& version) {
    for (int index = 0; const HistoryColumn& column : kHistoryColumns) {
        std::wstring text = platform::Utf16(version.*column.field);
        LVITEMW cell{};
        cell.mask = LVIF_TEXT;
        cell.iSubItem = index;
        cell.pszText = text.data();
        SendMessageW(list, index++ == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, 0,
                     reinterpret_cast<LPARAM>(&cell));
    }
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

CHistoryDlg::CHistoryDlg(HINSTANCE resources, const std::string& viewPath,
                         const std::string& localPath, const std::vector<CFileVersion>& versions,
                         const VersionFetcher& fetch)
    : TemplateDialog(resources, IDD_HISTORY),
      viewPath_(viewPath),
      localPath_(localPath),
      versions_(versions),
      fetch_(fetch) {}

bool CHistoryDlg::OnInit() {
    const HWND list = Item(IDC_VERSIONS);
    constexpr DWORD kExtra = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kExtra, kExtra);
    AddColumns(list);
    for (const CFileVersion& version : versions_) AddRowOnTop(list, version);
    LVITEMW selected{};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
    SetWindowTextUtf8(Window(), brelmox::FormatMessage(msg::kVersionsOfFormat, viewPath_));

    RECT client;
    GetClientRect(Window(), &client);
    const RECT listRect = ChildRect(Window(), list);
    margin_ = {client.right - listRect.right, client.bottom - listRect.bottom};
    KeepOpeningSizeAsMinimum();
    return true;
}

void CHistoryDlg::OnSize() {
    RECT client;
    GetClientRect(Window(), &client);
    const HWND list = Item(IDC_VERSIONS);
    const RECT listRect = ChildRect(Window(), list);
    const LONG grownX = client.right - margin_.cx - listRect.right;
    const LONG grownY = client.bottom - margin_.cy - listRect.bottom;
    SetWindowPos(list, nullptr, 0, 0, listRect.right - listRect.left + grownX,
                 listRect.bottom - listRect.top + grownY, SWP_NOMOVE | SWP_NOZORDER);
    for (int id : kButtons) {
        const RECT button = ChildRect(Window(), Item(id));
        SetWindowPos(Item(id), nullptr, button.left + grownX, button.top + grownY, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
    InvalidateRect(Window(), nullptr, TRUE);
}

void CHistoryDlg::OnCommand(int id, int notification) {
    if (id == IDC_GET_VERSION) return FetchSelected();
    TemplateDialog::OnCommand(id, notification);
}

// The list allows one selection; were there several, the last would be taken.
std::string CHistoryDlg::SelectedVersion() const {
    const HWND list = Item(IDC_VERSIONS);
    int found = -1;
    for (int item = -1; (item = static_cast<int>(
                             SendMessageW(list, LVM_GETNEXTITEM, item, LVNI_SELECTED))) != -1;) {
        found = item;
    }
    return found == -1 ? std::string() : platform::Utf8(CellText(list, found, 0));
}

// The picker opens on the file's own folder; the dialog stays open after the fetch.
void CHistoryDlg::FetchSelected() const {
    const std::string version = SelectedVersion();
    if (version.empty()) return;
    std::wstring start = platform::Utf16(localPath_);
    PathRemoveFileSpecW(start.data());
    start.resize(wcslen(start.c_str()));
    const std::string folder = PickFolder(Window(), msg::kSelectSaveFolder, platform::Utf8(start));
    if (folder.empty() || !fetch_) return;
    fetch_(version, folder);
}

}  // namespace brelmoxscc
