// CCommandOptions: the comparison program's command line, with Browse to pick the program.
#pragma once

#include <string>

#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class CCommandOptions : public TemplateDialog {
  public:
    CCommandOptions(HINSTANCE resources, const std::string& commandLine);
    // The edit's text as it was on OK.
    const std::string& CommandLine() const { return commandLine_; }

  protected:
    bool OnInit() override;
    void OnCommand(int id, int notification) override;

  private:
    std::string commandLine_;
};

}  // namespace brelmoxscc
