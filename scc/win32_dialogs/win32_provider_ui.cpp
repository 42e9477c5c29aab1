#include "scc/win32_dialogs/win32_provider_ui.h"

#include <commctrl.h>

#include "scc/win32_dialogs/history_dialog.h"
#include "scc/win32_dialogs/login_dialog.h"
#include "scc/win32_dialogs/message_loop_waiter.h"
#include "scc/win32_dialogs/options_dialog.h"
#include "scc/win32_dialogs/progress_window.h"
#include "scc/win32_dialogs/project_dialogs.h"
#include "scc/win32_dialogs/properties_dialog.h"

namespace brelmoxscc {
namespace {

// A progress window that could not be created shows nothing and is never cancelled.
class NoProgress : public ProgressWindow {
  public:
    void SetAction(const std::string&) override {}
    void SetFile(const std::string&) override {}
    bool CancelRequested() override { return false; }
};

bool RunProjectDialog(ProjectDialog& dialog, ProjectChoice* choice) {
    if (!dialog.RunModal()) return false;
    choice->chosen = dialog.Chosen();
    choice->description = dialog.Description();
    return true;
}

// Message boxes and dialogs are owned by the window active on the calling thread: the
// IDE's own while it waits for the provider, or a dialog of ours that is open on it.
class Win32ProviderUi : public ProviderUi {
  public:
    explicit Win32ProviderUi(HINSTANCE resources) : resources_(resources) {
        // Registers the list view's window class; repeated calls are harmless.
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
    }

    void ShowMessage(const std::string& text) override { ShowMessageBox(GetActiveWindow(), text); }

    bool Login(LoginValues* values) override {
        CLogin dialog(resources_, *values);
        if (!dialog.RunModal()) return false;
        *values = dialog.Values();
        return true;
    }

    bool SelectProject(const ProjectLister& lister, ProjectChoice* choice) override {
        CSelectProject dialog(resources_, lister);
        return RunProjectDialog(dialog, choice);
    }

    bool SetProject(const ProjectLister& lister, ProjectChoice* choice) override {
        CSetProject dialog(resources_, lister, choice->newName);
        return RunProjectDialog(dialog, choice);
    }

    void ShowHistory(const std::string& viewPath, const std::string& localPath,
                     const std::vector<brelmox::CFileVersion>& versions,
                     const VersionFetcher& fetch) override {
        CHistoryDlg(resources_, viewPath, localPath, versions, fetch).RunModal();
    }

    void ShowProperties(const brelmox::CFileVersion& record) override {
        CSCCPropertiesDlg(resources_, record).RunModal();
    }

    bool EditCommandOptions(std::string* commandLine) override {
        CCommandOptions dialog(resources_, *commandLine);
        if (!dialog.RunModal()) return false;
        *commandLine = dialog.CommandLine();
        return true;
    }

    std::unique_ptr<ProgressWindow> OpenProgress() override {
        auto window = std::make_unique<CProgressTracker>(resources_);
        if (!window->Open()) return std::make_unique<NoProgress>();
        return window;
    }

    std::unique_ptr<UiWaiter> MakeWaiter() override { return MakeMessageLoopWaiter(); }

  private:
    HINSTANCE resources_;
};

}  // namespace

std::unique_ptr<ProviderUi> MakeWin32ProviderUi(HINSTANCE resources) {
    return std::make_unique<Win32ProviderUi>(resources);
}

}  // namespace brelmoxscc
