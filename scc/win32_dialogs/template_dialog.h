// A dialog from a resource template, run modally or modelessly, with its controls' texts
// read and written as UTF-8.
#pragma once

#include <string>

#include "platform/windows/windows_api.h"
// <windows.h> renames FormatMessage, which is also the name of our message formatter.
#undef FormatMessage

namespace brelmoxscc {

std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);

// A modal message box with the provider's title and an OK button, owned by `owner`.
void ShowMessageBox(HWND owner, const std::string& text);

class TemplateDialog {
  public:
    TemplateDialog(HINSTANCE resources, int templateId)
        : resources_(resources), templateId_(templateId) {}
    virtual ~TemplateDialog();
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;

    // Modal, owned by the calling thread's active window (the IDE's, while it waits for
    // us), which stays disabled until the dialog ends. True when it ended with OK; false
    // on Cancel or when the template cannot be loaded.
    bool RunModal();
    // Modeless and still hidden; false when the template cannot be loaded.
    bool Create();

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    std::string ItemText(int id) const { return WindowTextUtf8(Item(id)); }
    void SetItemText(int id, const std::string& text) const { SetWindowTextUtf8(Item(id), text); }

  protected:
    // WM_INITDIALOG: false when the dialog set the focus itself.
    virtual bool OnInit() { return true; }
    // A button or control notification; the default ends a modal dialog on OK and Cancel.
    virtual void OnCommand(int id, int notification);
    virtual void OnSize() {}
    void End(int result) const { EndDialog(window_, result); }
    // A resizable dialog keeps at least the size it opened with.
    void KeepOpeningSizeAsMinimum();

  private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE resources_;
    int templateId_;
    HWND window_ = nullptr;
    bool modeless_ = false;
    SIZE minimumSize_{};
};

}  // namespace brelmoxscc
