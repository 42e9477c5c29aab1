// This process's open dialogs, found and worked from another of its threads as a scripted
// user does: the dialog tests' user and brelmox-scchost's --answer both use it.
#pragma once

#include <string>
#include <vector>

#include "platform/windows/windows_api.h"

namespace brelmoxscc {

// The window property that names a provider dialog's template, so that a dialog found
// among a process's windows can be told apart from a message box or a system picker.
inline constexpr wchar_t kTemplateProperty[] = L"BrelmoxDialogTemplate";
// The id of the template `dialog` was made from, or 0 when it is none of the provider's.
int TemplateOf(HWND dialog);

// The visible top-level dialogs of this process, of every thread, in z-order.
std::vector<HWND> OpenDialogsOfThisProcess();

std::wstring Text(HWND window);
std::wstring ItemText(HWND dialog, int id);
// A list view's cell.
std::wstring CellText(HWND list, int item, int column);
// Clicks the button: its dialog sees the command as it would from the mouse. Returns at
// once, before the dialog has acted on it.
void Press(HWND dialog, int id);

}  // namespace brelmoxscc
