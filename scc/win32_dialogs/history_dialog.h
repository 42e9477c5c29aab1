// CHistoryDlg: a file's versions, the last received on top, and Get to fetch one.
#pragma once

#include <string>
#include <vector>

#include "scc/provider_ui.h"
#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class CHistoryDlg : public TemplateDialog {
  public:
    CHistoryDlg(HINSTANCE resources, const std::string& viewPath, const std::string& localPath,
                const std::vector<brelmox::CFileVersion>& versions, const VersionFetcher& fetch);

  protected:
    bool OnInit() override;
    void OnCommand(int id, int notification) override;
    // The list takes the room the dialog gains; the buttons keep to its bottom right.
    void OnSize() override;

  private:
    void FetchSelected() const;
    std::string SelectedVersion() const;

    const std::string& viewPath_;
    const std::string& localPath_;
    const std::vector<brelmox::CFileVersion>& versions_;
    const VersionFetcher& fetch_;
    SIZE margin_{};  // from the list's bottom right corner to the client area's
};

}  // namespace brelmoxscc
