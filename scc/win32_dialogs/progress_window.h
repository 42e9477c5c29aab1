// CProgressTracker: the add command's modeless progress window. Cancel hides it and is
// remembered; the window is not ended until it is destroyed.
#pragma once

#include <string>

#include "scc/provider_ui.h"
#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

class CProgressTracker : public TemplateDialog, public ProgressWindow {
  public:
    explicit CProgressTracker(HINSTANCE resources);
    // Shows it in the middle of the screen's work area; false when it cannot be created.
    bool Open();

    void SetAction(const std::string& text) override;
    void SetFile(const std::string& path) override;
    bool CancelRequested() override;

  protected:
    void OnCommand(int id, int notification) override;

  private:
    void SetStaticText(int id, const std::string& text);
    void HandleWaitingInput();

    bool cancelRequested_ = false;
};

}  // namespace brelmoxscc
