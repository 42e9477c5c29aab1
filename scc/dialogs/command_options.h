// CCommandOptions: the command line of the file comparison program.
#pragma once

#include <QDialog>
#include <string>
#include <utility>

#include "scc/dialogs/path_picker.h"

namespace brelmoxscc {

class CCommandOptions : public QDialog {
  public:
    static constexpr int kIdCommandLine = 1008;
    static constexpr int kIdBrowse = 1009;

    // The edit shows commandLine; Browse replaces it with a program the user picks.
    explicit CCommandOptions(const std::string& commandLine, QWidget* parent = nullptr);

    // Replaces Qt's file-open dialog as the one Browse opens.
    void SetFilePicker(PathPicker picker) { pickFile_ = std::move(picker); }

    // The line given, or what the edit held when OK was pressed.
    const std::string& CommandLine() const { return commandLine_; }

    void accept() override;

  private:
    void Browse();

    std::string commandLine_;
    PathPicker pickFile_ = PickProgram;
};

}  // namespace brelmoxscc
