// The provider's dialogs through ProviderUi, filled and answered by a scripted user: what
// each call returns, the sorting and selection rules, the pickers, and a picture of each.
#include <gtest/gtest.h>

#include <atomic>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"
// clang-format off
#include <commctrl.h>
// clang-format on
#include "scc/win32_dialogs/tests/dialog_script.h"
#include "scc/win32_dialogs/win32_provider_ui.h"

namespace brelmoxscc::testing {
namespace {

namespace fs = std::filesystem;
using brelmox::CFileVersion;

constexpr int kOrganization = 1000, kUsername = 1002, kPassword = 1003;
constexpr int kProjectList = 1002, kProjectName = 1003, kProjectDescription = 1004;
constexpr int kVersions = 1006, kGet = 1007, kCommandLine = 1008, kBrowse = 1009;
constexpr int kAction = 1004, kFile = 1005;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

std::vector<std::wstring> ListBoxEntries(HWND list) {
    std::vector<std::wstring> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring entry(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1,
                           L'\0');
        entry.resize(static_cast<size_t>(
            SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()))));
        entries.push_back(entry);
    }
    return entries;
}

std::wstring ListViewText(HWND list, int item, int column) {
    wchar_t text[256] = L"";
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell));
    return text;
}

// A folder of this test's own, with a space and a letter beyond ASCII in its name.
fs::path WorkFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / L"brelmox dialogs \u00e9";
    fs::create_directories(folder / "src");
    return folder;
}

class ProviderUiTest : public ::testing::Test {
  protected:
    std::unique_ptr<ProviderUi> ui_ = MakeWin32ProviderUi(GetModuleHandleW(nullptr));
    const DWORD thread_ = GetCurrentThreadId();
};

TEST_F(ProviderUiTest, LoginShowsTheStoredValuesAndReturnsTheTypedOnesOnOk) {
    LoginValues values{"acme", "alice", "old"};
    ScriptedUser user([&] {
        const HWND dialog = WaitForDialog(L"Brelmox Login");
        if (dialog == nullptr) return;
        EXPECT_EQ(FocusOf(thread_), GetDlgItem(dialog, kOrganization));
        EXPECT_EQ(ItemText(dialog, kOrganization), L"acme");
        EXPECT_EQ(ItemText(dialog, kUsername), L"alice");
        EXPECT_EQ(ItemText(dialog, kPassword), L"old");
        SetItemText(dialog, kOrganization, L"Z\u00fcrich Labs");
        SetItemText(dialog, kUsername, L"bob");
        SetItemText(dialog, kPassword, L"se\"cret");
        Render(dialog, "CLogin");
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(ui_->Login(&values));
    user.Finish();
    EXPECT_EQ(values.organization, "Z\xc3\xbcrich Labs");
    EXPECT_EQ(values.username, "bob");
    EXPECT_EQ(values.password, "se\"cret");
}

// The box belongs to the IDE's window, which stays disabled until it is closed. (Wine also
// gives an unowned box the active window, so there this holds either way.)
TEST_F(ProviderUiTest, MessageBoxIsOwnedByTheActiveWindow) {
    const HWND ide = CreateWindowExW(0, L"Static", L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(ide, nullptr);
    SetForegroundWindow(ide);
    SetActiveWindow(ide);
    ScriptedUser user([&] {
        const HWND box = WaitForDialogOwnedBy(ide);
        if (box == nullptr) return;
        EXPECT_EQ(Text(box), L"Brelmox");
        EXPECT_NE(ChildTexts(box).find(L"Cannot open 'C:\\w\\\u00e4.c'"), std::wstring::npos);
        EXPECT_FALSE(IsWindowEnabled(ide));
        Press(box, IDOK);
    });
    ui_->ShowMessage("Cannot open 'C:\\w\\\xc3\xa4.c': Access is denied.\n");
    user.Finish();
    EXPECT_TRUE(IsWindowEnabled(ide));
    DestroyWindow(ide);
}

// Built on a module without the templates, each dialog says it cannot be shown.
TEST_F(ProviderUiTest, MissingTemplatesAreReportedNotTakenForCancel) {
    ui_ = MakeWin32ProviderUi(GetModuleHandleW(L"kernel32.dll"));
    const HWND ide = CreateWindowExW(0, L"Static", L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     300, 200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(ide);
    SetActiveWindow(ide);
    std::wstring shown;
    ScriptedUser user([&] {
        const HWND box = WaitForDialogOwnedBy(ide);
        if (box == nullptr) return;
        shown = ChildTexts(box);
        Press(box, IDOK);
    });
    LoginValues values{"acme", "alice", "old"};
    EXPECT_FALSE(ui_->Login(&values));
    user.Finish();
    EXPECT_NE(shown.find(L"Cannot show dialog 1000: the provider's dialog resources are missing. "
                         L"The request was cancelled."),
              std::wstring::npos)
        << platform::Utf8(shown);
    EXPECT_EQ(values.username, "alice");
    DestroyWindow(ide);
}

TEST_F(ProviderUiTest, CancelledDialogsChangeNothing) {
    LoginValues values{"acme", "alice", "old"};
    std::string commandLine = "cmp %s %s";
    ProjectChoice choice{"web", "", ""};
    const ProjectLister lister = [] { return std::vector<std::string>{"one"}; };
    const std::pair<std::wstring, std::function<bool()>> cases[] = {
        {L"Brelmox Login", [&] { return ui_->Login(&values); }},
        {L"Brelmox Options", [&] { return ui_->EditCommandOptions(&commandLine); }},
        {L"Brelmox Set Project", [&] { return ui_->SetProject(lister, &choice); }},
        {L"Brelmox Select Project", [&] { return ui_->SelectProject(lister, &choice); }},
    };
    for (const auto& [caption, open] : cases) {
        SCOPED_TRACE(platform::Utf8(caption));
        ScriptedUser user([&] {
            const HWND dialog = WaitForDialog(caption);
            // Typed, then thrown away.
            SetItemText(dialog, kOrganization, L"typed");
            SetItemText(dialog, kCommandLine, L"typed");
            SetItemText(dialog, kProjectName, L"typed");
            Press(dialog, IDCANCEL);
        });
        EXPECT_FALSE(open());
    }
    EXPECT_EQ(values.organization, "acme");
    EXPECT_EQ(commandLine, "cmp %s %s");
    EXPECT_EQ(choice.chosen, "");
}

TEST_F(ProviderUiTest, ProjectListIsSortedAndOkNeedsANameOrASelection) {
    const ProjectLister lister = [] {
        return std::vector<std::string>{"gamma", "Alpha", "beta", "\xc3\x84pfel"};
    };
    ProjectChoice choice;
    ScriptedUser user([&] {
        const HWND dialog = WaitForDialog(L"Brelmox Select Project");
        if (dialog == nullptr) return;
        const HWND list = GetDlgItem(dialog, kProjectList);
        EXPECT_EQ(ListBoxEntries(list),
                  (std::vector<std::wstring>{L"Alpha", L"\u00c4pfel", L"beta", L"gamma"}));
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(ItemText(dialog, kProjectName), L"");
        Render(dialog, "CSelectProject");
        Press(dialog, IDOK);
        const HWND box = WaitForDialogOwnedBy(dialog);
        if (box == nullptr) return;
        EXPECT_EQ(Text(box), L"Brelmox");
        EXPECT_NE(ChildTexts(box).find(L"Enter a new Project or select an existing one."),
                  std::wstring::npos);
        Render(box, "MessageBox");
        Press(box, IDOK);
        while (IsWindow(box)) Sleep(10);
        SendMessageW(list, LB_SETCURSEL, 2, 0);
        SetItemText(dialog, kProjectDescription, L"Shop front");
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(ui_->SelectProject(lister, &choice));
    user.Finish();
    EXPECT_EQ(choice.chosen, "beta");
    EXPECT_EQ(choice.description, "Shop front");
}

// A typed name wins over the list; with none typed the selection counts, and the set-project
// dialog opens on the IDE's project name with the first entry selected.
TEST_F(ProviderUiTest, SetProjectChoosesTheTypedNameElseTheSelection) {
    const ProjectLister lister = [] { return std::vector<std::string>{"web", "api", "db"}; };
    struct Case {
        const wchar_t* typed;  // null: left as opened
        int select;            // -1: left as opened
        const char* chosen;
    };
    const Case cases[] = {
        {nullptr, -1, "Legacy"},
        {L"", -1, "api"},
        {L"", 2, "web"},
        {L"new one", 1, "new one"},
    };
    bool rendered = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        ProjectChoice choice{"Legacy", "", ""};
        ScriptedUser user([&] {
            const HWND dialog = WaitForDialog(L"Brelmox Set Project");
            if (dialog == nullptr) return;
            EXPECT_EQ(ItemText(dialog, kProjectName), L"Legacy");
            EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kProjectList), LB_GETCURSEL, 0, 0), 0);
            if (!std::exchange(rendered, true)) Render(dialog, "CSetProject");
            if (c.typed != nullptr) SetItemText(dialog, kProjectName, c.typed);
            if (c.select >= 0)
                SendMessageW(GetDlgItem(dialog, kProjectList), LB_SETCURSEL, c.select, 0);
            Press(dialog, IDOK);
        });
        EXPECT_TRUE(ui_->SetProject(lister, &choice));
        user.Finish();
        EXPECT_EQ(choice.chosen, c.chosen);
    }
}

// The picker's folder edit names its selection; it may take a moment to fill its tree.
bool ShowsFolder(HWND picker, const std::wstring& name) {
    const HWND folderEdit = FindWindowExW(picker, nullptr, L"Edit", nullptr);
    for (int tries = 0; tries < 150 && Text(folderEdit) != name; ++tries) Sleep(20);
    return Text(folderEdit) == name;
}

RECT PlaceOf(HWND dialog, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Grown, the list takes the room and the buttons follow the corner; it never shrinks below
// the size it opened with.
void ExpectResizing(HWND dialog) {
    RECT frame;
    GetWindowRect(dialog, &frame);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    const RECT list = PlaceOf(dialog, kVersions), close = PlaceOf(dialog, IDOK);
    SetWindowPos(dialog, nullptr, 0, 0, width + 100, height + 50, SWP_NOMOVE | SWP_NOZORDER);
    const RECT grownList = PlaceOf(dialog, kVersions), grownClose = PlaceOf(dialog, IDOK);
    EXPECT_EQ(grownList.left, list.left);
    EXPECT_EQ(grownList.right - list.right, 100);
    EXPECT_EQ(grownList.bottom - list.bottom, 50);
    EXPECT_EQ(grownClose.left - close.left, 100);
    EXPECT_EQ(grownClose.top - close.top, 50);
    SetWindowPos(dialog, nullptr, 0, 0, width / 2, height / 2, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.right - frame.left, width);
    EXPECT_EQ(frame.bottom - frame.top, height);
    EXPECT_EQ(PlaceOf(dialog, kVersions).right, list.right);
}

TEST_F(ProviderUiTest, HistoryListsTheLastVersionFirstAndGetsTheSelectedOneIntoAFolder) {
    const fs::path folder = WorkFolder() / "src";
    const std::string localPath = platform::Utf8((folder / "main.c").wstring());
    const std::vector<CFileVersion> versions = {
        {"", "1", "Checked In", "", "2026-01-02", "alice", "first", "", ""},
        {"", "2", "Checked In", "", "2026-02-03", "bob", "second", "", ""},
        {"", "3", "Checked Out", "", "2026-03-04", "carol", "third \xe2\x82\xac", "", ""},
    };
    std::vector<std::pair<std::string, std::string>> fetched;
    const VersionFetcher fetch = [&](const std::string& version, const std::string& into) {
        fetched.emplace_back(version, into);
    };
    ScriptedUser user([&] {
        const HWND dialog = WaitForDialog(L"Versions of src\\main.c");
        if (dialog == nullptr) return;
        const HWND list = GetDlgItem(dialog, kVersions);
        EXPECT_EQ(ListViewText(list, 0, 0), L"3");
        EXPECT_EQ(ListViewText(list, 0, 4), L"third \u20ac");
        EXPECT_EQ(ListViewText(list, 1, 3), L"bob");
        EXPECT_EQ(ListViewText(list, 2, 2), L"2026-01-02");
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 0);
        const DWORD extended =
            static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_EQ(extended & 0x30, 0x30u);
        std::wstring headers;
        for (int column = 0; column < 5; ++column) {
            wchar_t text[64] = L"";
            LVCOLUMNW header{};
            header.mask = LVCF_TEXT | LVCF_WIDTH;
            header.pszText = text;
            header.cchTextMax = 64;
            SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
            headers += std::wstring(text) + L"/" + std::to_wstring(header.cx) + L" ";
        }
        EXPECT_EQ(headers,
                  L"Version/50 Status/100 Date Created/100 Created By/100 Description/250 ");
        Render(dialog, "CHistoryDlg");
        ExpectResizing(dialog);

        // Get: the picker opens on the file's folder; OK there fetches version 3 into it.
        // Under Wine a shell that has just started sometimes loses the starting selection
        // while it fills its tree; the picker is then cancelled and opened again.
        HWND picker = nullptr;
        for (int attempt = 0; attempt < 3 && picker == nullptr; ++attempt) {
            Press(dialog, kGet);
            const HWND opened = WaitForDialogOwnedBy(dialog);
            if (opened == nullptr) return;
            if (ShowsFolder(opened, L"src")) {
                picker = opened;
            } else {
                Press(opened, IDCANCEL);
                while (IsWindow(opened)) Sleep(10);
            }
        }
        if (picker == nullptr) return ADD_FAILURE() << "the picker never opened on src";
        EXPECT_NE(ChildTexts(picker).find(L"Select the directory where the file will be saved"),
                  std::wstring::npos);
        Render(picker, "FolderPicker");
        Press(picker, IDOK);
        while (IsWindow(picker)) Sleep(10);

        // Version 1 selected, then the picker cancelled: nothing is fetched.
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
        Press(dialog, kGet);
        const HWND cancelled = WaitForDialogOwnedBy(dialog);
        if (cancelled == nullptr) return;
        Press(cancelled, IDCANCEL);
        while (IsWindow(cancelled)) Sleep(10);
        Press(dialog, IDOK);
    });
    ui_->ShowHistory("src\\main.c", localPath, versions, fetch);
    user.Finish();
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].first, "3");
    EXPECT_EQ(Lower(platform::Utf16(fetched[0].second)), Lower(folder.wstring()));
}

TEST_F(ProviderUiTest, PropertiesShowTheRecordReadOnly) {
    const CFileVersion record{
        "src\\main.c", "7", "Checked Out", "", "2026-05-06 10:11", "dora", "fix \xc3\xa9", "", ""};
    ScriptedUser user([&] {
        const HWND dialog = WaitForDialog(L"SCC Properties");
        if (dialog == nullptr) return;
        const std::pair<int, const wchar_t*> fields[] = {
            {1010, L"src\\main.c"},      {1011, L"7"},
            {1012, L"Checked Out"},      {1020, L"dora"},
            {1014, L"2026-05-06 10:11"}, {1015, L"fix \u00e9"},
        };
        for (const auto& [id, text] : fields) EXPECT_EQ(ItemText(dialog, id), text) << id;
        Render(dialog, "CSCCPropertiesDlg");
        Press(dialog, IDOK);
    });
    ui_->ShowProperties(record);
}

TEST_F(ProviderUiTest, OptionsBrowseReplacesTheLineWithTheQuotedProgram) {
    const fs::path program = WorkFolder() / "cmp tool.exe";
    std::ofstream(program).put('x');
    std::string commandLine = "\"C:\\diff\\old.exe\" %s %s";
    // The process's current folder is the IDE's: picking a file elsewhere must not move it.
    const fs::path currentFolder = fs::current_path();
    ScriptedUser user([&] {
        const HWND dialog = WaitForDialog(L"Brelmox Options");
        if (dialog == nullptr) return;
        EXPECT_EQ(ItemText(dialog, kCommandLine), L"\"C:\\diff\\old.exe\" %s %s");
        Render(dialog, "CCommandOptions");
        Press(dialog, kBrowse);
        const HWND open = WaitForDialogOwnedBy(dialog);
        if (open == nullptr) return;
        // The file name edit of the system's dialog (edt1, or the combo box cmb13).
        const int nameEdit = GetDlgItem(open, 0x480) != nullptr ? 0x480 : 0x47c;
        SetItemText(open, nameEdit, program.wstring());
        Press(open, IDOK);
        while (IsWindow(open)) Sleep(10);
        EXPECT_EQ(ItemText(dialog, kCommandLine), L"\"" + program.wstring() + L"\"");
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(ui_->EditCommandOptions(&commandLine));
    user.Finish();
    EXPECT_EQ(commandLine, "\"" + platform::Utf8(program.wstring()) + "\"");
    EXPECT_EQ(fs::current_path(), currentFolder);
}

TEST_F(ProviderUiTest, ProgressShowsEachUpdateAndCancelHidesIt) {
    std::unique_ptr<ProgressWindow> progress = ui_->OpenProgress();
    const HWND window = WaitForDialog(L"");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ItemText(window, kAction), L"Static");
    progress->SetAction("Adding files");
    progress->SetFile("C:\\Work\\App\\src\\m\xc3\xa4in.c");
    EXPECT_EQ(ItemText(window, kAction), L"Adding files");
    EXPECT_EQ(ItemText(window, kFile), L"C:\\Work\\App\\src\\m\u00e4in.c");
    // Rendered from another thread while this one keeps the window answering.
    std::atomic<bool> rendered{false};
    std::thread renderer([&] {
        Render(window, "CProgressTracker");
        rendered = true;
    });
    while (!rendered) {
        progress->CancelRequested();
        Sleep(10);
    }
    renderer.join();
    EXPECT_FALSE(progress->CancelRequested());
    Press(window, IDCANCEL);
    EXPECT_TRUE(progress->CancelRequested());
    EXPECT_FALSE(IsWindowVisible(window));
    progress.reset();
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace brelmoxscc::testing
