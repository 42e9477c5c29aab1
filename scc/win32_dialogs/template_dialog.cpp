#include "scc/win32_dialogs/template_dialog.h"

#include "common/format.h"
#include "platform/windows/utf16.h"
#include "scc/messages.h"
#include "scc/win32_dialogs/open_dialogs.h"
#include "scc/win32_dialogs/win32_messages.h"

namespace brelmoxscc {

std::string WindowTextUtf8(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), text.size())));
    return platform::Utf8(text);
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
    SetWindowTextW(window, platform::Utf16(text).c_str());
}

void ShowMessageBox(HWND owner, const std::string& text) {
    MessageBoxW(owner, platform::Utf16(text).c_str(), platform::Utf16(msg::kMessageTitle).c_str(),
                MB_OK);
}

TemplateDialog::~TemplateDialog() {
    if (modeless_ && window_ != nullptr) DestroyWindow(window_);
}

// A dialog that cannot be shown is said so, rather than taken for the user's Cancel.
bool TemplateDialog::RunModal() {
    const HWND owner = GetActiveWindow();
    const INT_PTR result = DialogBoxParamW(resources_, MAKEINTRESOURCEW(templateId_), owner,
                                           Procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    if (result == -1)
        ShowMessageBox(owner, brelmox::FormatMessage(msg::kDialogMissing, templateId_));
    return result == IDOK;
}

bool TemplateDialog::Create() {
    modeless_ = true;
    return CreateDialogParamW(resources_, MAKEINTRESOURCEW(templateId_), nullptr, Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void TemplateDialog::KeepOpeningSizeAsMinimum() {
    RECT frame;
    GetWindowRect(window_, &frame);
    minimumSize_ = {frame.right - frame.left, frame.bottom - frame.top};
}

void TemplateDialog::OnCommand(int id, int /*notification*/) {
    if (id == IDOK || id == IDCANCEL) End(id);
}

INT_PTR CALLBACK TemplateDialog::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<TemplateDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
        SetPropW(window, kTemplateProperty,
                 reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dialog->templateId_)));
        return dialog->OnInit() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<TemplateDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND:
            dialog->OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_SIZE:
            dialog->OnSize();
            return TRUE;
        case WM_GETMINMAXINFO:
            if (dialog->minimumSize_.cx == 0) return FALSE;
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {dialog->minimumSize_.cx,
                                                                     dialog->minimumSize_.cy};
            return TRUE;
        case WM_NCDESTROY:
            RemovePropW(window, kTemplateProperty);
            dialog->window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace brelmoxscc
