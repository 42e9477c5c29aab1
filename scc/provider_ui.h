// The provider's dialogs and message boxes behind one interface, so that the
// exported functions' logic can be run with a scripted user in tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/file_version.h"
#include "scc/ui_waiter.h"

namespace brelmoxscc {

// The three edits of the login dialog: shown on opening, read back on OK.
struct LoginValues {
    std::string organization;
    std::string username;
    std::string password;
};

// What the user picked in a project dialog. newName is shown in the name edit on opening
// (the set-project dialog shows the IDE's project name there); chosen is the typed name
// when there is one, else the selected list entry.
struct ProjectChoice {
    std::string newName;
    std::string description;
    std::string chosen;
};

// Fetches the organization's project names for a dialog's list, in the server's order.
using ProjectLister = std::function<std::vector<std::string>()>;

// Fetches one version of the file into a folder: the history dialog's Get button.
using VersionFetcher = std::function<void(const std::string& version, const std::string& folder)>;

// CProgressTracker: the modeless window of a request that takes long, with Cancel. It lives
// on the IDE's thread, whose waiter serves its painting and its button. Each setter paints
// before it returns.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    virtual void SetAction(const std::string& text) = 0;
    virtual void SetFile(const std::string& path) = 0;
    // True once the user pressed Cancel.
    virtual bool CancelRequested() = 0;
};

class ProviderUi {
  public:
    virtual ~ProviderUi() = default;

    // A modal message box, title "Brelmox", OK button; returns when it is closed.
    virtual void ShowMessage(const std::string& text) = 0;
    // CLogin: true on OK, with the edits copied into *values.
    virtual bool Login(LoginValues* values) = 0;
    // CSelectProject and CSetProject: true on OK with choice->chosen set.
    virtual bool SelectProject(const ProjectLister& lister, ProjectChoice* choice) = 0;
    virtual bool SetProject(const ProjectLister& lister, ProjectChoice* choice) = 0;
    // CHistoryDlg, modal: the versions listed with the last one received on top and
    // selected, the caption "Versions of VIEWPATH". Get asks for a folder (opening on the
    // folder of localPath) and hands the selected version and that folder to fetch; the
    // dialog stays open until Close.
    virtual void ShowHistory(const std::string& viewPath, const std::string& localPath,
                             const std::vector<brelmox::CFileVersion>& versions,
                             const VersionFetcher& fetch) = 0;
    // CSCCPropertiesDlg, modal: the record's six fields, read-only.
    virtual void ShowProperties(const brelmox::CFileVersion& record) = 0;
    // CCommandOptions, modal: true on OK with *commandLine replaced by the edit's text.
    virtual bool EditCommandOptions(std::string* commandLine) = 0;
    // CProgressTracker, shown at once.
    virtual std::unique_ptr<ProgressWindow> OpenProgress() = 0;
    // What the calling thread waits with while a request runs on a worker thread.
    virtual std::unique_ptr<UiWaiter> MakeWaiter() { return std::make_unique<BlockingWaiter>(); }
};

}  // namespace brelmoxscc
