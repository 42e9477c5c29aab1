// Until the provider's Win32 dialogs are here: its messages in a real message box, and
// every dialog answered as if the user had cancelled it.
#include "platform/windows/utf16.h"
#include "scc/messages.h"
#include "scc/win32_dialogs/win32_provider_ui.h"

namespace brelmoxscc {

namespace {

class QuietProgress : public ProgressWindow {
  public:
    void SetAction(const std::string&) override {}
    void SetFile(const std::string&) override {}
    bool CancelRequested() override { return false; }
};

class InterimProviderUi : public ProviderUi {
  public:
    void ShowMessage(const std::string& text) override {
        MessageBoxW(nullptr, platform::Utf16(text).c_str(),
                    platform::Utf16(msg::kMessageTitle).c_str(), MB_OK);
    }
    bool Login(LoginValues*) override { return false; }
    bool SelectProject(const ProjectLister&, ProjectChoice*) override { return false; }
    bool SetProject(const ProjectLister&, ProjectChoice*) override { return false; }
    void ShowHistory(const std::string&, const std::string&,
                     const std::vector<brelmox::CFileVersion>&, const VersionFetcher&) override {}
    void ShowProperties(const brelmox::CFileVersion&) override {}
    bool EditCommandOptions(std::string*) override { return false; }
    std::unique_ptr<ProgressWindow> OpenProgress() override {
        return std::make_unique<QuietProgress>();
    }
};

}  // namespace

std::unique_ptr<ProviderUi> MakeWin32ProviderUi(HINSTANCE) {
    return std::make_unique<InterimProviderUi>();
}

}  // namespace brelmoxscc
