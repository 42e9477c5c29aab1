#include "scc/win32_dialogs/pickers.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

#include "platform/windows/utf16.h"
#include "scc/win32_dialogs/win32_messages.h"

namespace brelmoxscc {
namespace {

constexpr UINT kFolderPickerFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

// The folder the picker should start on. Under Wine a picker that has just started its
// shell may lose that selection while it fills its tree, and then selects the tree's first
// folder: the start is selected once more when the first change after it was asked for
// lands elsewhere. Later changes are the user's.
struct FolderPickerStart {
    std::wstring folder;
    bool checkNextChange = false;
};

int CALLBACK OnFolderPickerEvent(HWND picker, UINT event, LPARAM detail, LPARAM data) {
    auto* start = reinterpret_cast<FolderPickerStart*>(data);
    if (event == BFFM_INITIALIZED && !start->folder.empty()) {
        start->checkNextChange = true;
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(start->folder.c_str()));
    } else if (event == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = L"";
        const bool named = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(detail), path);
        if (named) SendMessageW(picker, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
        if (std::exchange(start->checkNextChange, false) && start->folder != path) {
            SendMessageW(picker, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(start->folder.c_str()));
        }
    }
    return 0;
}

// The new-style picker needs COM on this thread. The IDE normally has it; otherwise it is
// set up for the picker alone and taken down again, leaving the thread as it was.
class ThreadComScope {
  public:
    ThreadComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ThreadComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ThreadComScope(const ThreadComScope&) = delete;
    ThreadComScope& operator=(const ThreadComScope&) = delete;

  private:
    HRESULT result_;
};

}  // namespace

std::string PickFolder(HWND owner, const std::string& title, const std::string& start) {
    const ThreadComScope com;
    const std::wstring wideTitle = platform::Utf16(title);
    FolderPickerStart pickerStart{platform::Utf16(start)};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = kFolderPickerFlags;
    browse.lpfn = OnFolderPickerEvent;
    browse.lParam = reinterpret_cast<LPARAM>(&pickerStart);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return {};
    wchar_t path[MAX_PATH] = L"";
    const bool named = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return named ? platform::Utf8(path) : std::string();
}

// The dialog leaves the process's current folder alone: it is the IDE's.
std::string PickProgram(HWND owner) {
    const std::wstring filter =
        platform::Utf16(std::string(msg::kExecutableFilter, sizeof msg::kExecutableFilter));
    const std::wstring extension = platform::Utf16(msg::kExecutableExtension);
    std::wstring path(32768, L'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = path.data();
    open.nMaxFile = static_cast<DWORD>(path.size());
    open.lpstrDefExt = extension.c_str();
    open.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open)) return {};
    path.resize(path.find(L'\0'));
    return platform::Utf8(path);
}

}  // namespace brelmoxscc
