// CLogin: organization, user name and password.
#pragma once

#include "scc/provider_ui.h"
#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class CLogin : public TemplateDialog {
  public:
    CLogin(HINSTANCE resources, const LoginValues& values);
    // The edits as they were on OK.
    const LoginValues& Values() const { return values_; }

  protected:
    bool OnInit() override;
    void OnCommand(int id, int notification) override;

  private:
    LoginValues values_;
};

}  // namespace brelmoxscc
