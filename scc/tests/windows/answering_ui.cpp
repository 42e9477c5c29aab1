// The provider's dialogs answered by a scripted user, for the host tests under Wine until
// brelmox-scchost can answer the Win32 dialogs: what each shows is printed as the Linux
// host prints it, the login is accepted as filled, every other dialog is cancelled.
#include <cstdio>

#include "scc/win32_dialogs/win32_provider_ui.h"

namespace brelmoxscc {

namespace {

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

class QuietProgress : public ProgressWindow {
  public:
    void SetAction(const std::string&) override {}
    void SetFile(const std::string&) override {}
    bool CancelRequested() override { return false; }
};

class AnsweringUi : public ProviderUi {
  public:
    void ShowMessage(const std::string& text) override { Print("message: " + text); }
    bool Login(LoginValues*) override {
        Print("dialog: CLogin OK");
        return true;
    }
    bool SelectProject(const ProjectLister&, ProjectChoice*) override {
        return Cancelled("CSelectProject");
    }
    bool SetProject(const ProjectLister&, ProjectChoice*) override {
        return Cancelled("CSetProject");
    }
    void ShowHistory(const std::string&, const std::string&,
                     const std::vector<brelmox::CFileVersion>&, const VersionFetcher&) override {
        Cancelled("CHistoryDlg");
    }
    void ShowProperties(const brelmox::CFileVersion&) override { Cancelled("CSCCPropertiesDlg"); }
    bool EditCommandOptions(std::string*) override { return Cancelled("CCommandOptions"); }
    std::unique_ptr<ProgressWindow> OpenProgress() override {
        return std::make_unique<QuietProgress>();
    }

  private:
    static bool Cancelled(const std::string& dialog) {
        Print("dialog: " + dialog + " Cancel");
        return false;
    }
};

}  // namespace

std::unique_ptr<ProviderUi> MakeWin32ProviderUi(HINSTANCE) {
    return std::make_unique<AnsweringUi>();
}

}  // namespace brelmoxscc
