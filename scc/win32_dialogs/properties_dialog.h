// CSCCPropertiesDlg: a version's record in six read-only edits.
#pragma once

#include "scc/provider_ui.h"
#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class CSCCPropertiesDlg : public TemplateDialog {
  public:
    CSCCPropertiesDlg(HINSTANCE resources, const brelmox::CFileVersion& record);

  protected:
    bool OnInit() override;

  private:
    const brelmox::CFileVersion& record_;
};

}  // namespace brelmoxscc
