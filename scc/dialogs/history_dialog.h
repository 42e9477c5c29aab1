// CHistoryDlg: the versions of one file, the last received on top, any of which can be
// fetched into a folder the user picks.
#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "client/file_version.h"
#include "scc/dialogs/path_picker.h"
#include "scc/provider_ui.h"

namespace brelmoxscc {

class CHistoryDlg : public QDialog {
  public:
    static constexpr int kIdVersions = 1006;
    static constexpr int kIdGet = 1007;

    // Lists versions with the last one selected and names the dialog after viewPath. Get
    // asks for a folder, starting in localPath's own, and hands it to fetch.
    CHistoryDlg(const std::string& viewPath, const std::string& localPath,
                const std::vector<brelmox::CFileVersion>& versions, VersionFetcher fetch,
                QWidget* parent = nullptr);

    // Replaces Qt's folder dialog as the one Get opens.
    void SetFolderPicker(PathPicker picker) { pickFolder_ = std::move(picker); }

  private:
    void FetchSelected();

    std::string localPath_;
    VersionFetcher fetch_;
    PathPicker pickFolder_ = PickFolder;
};

}  // namespace brelmoxscc
