// What the provider's Win32 dialogs show, read from their controls by id and printed in the
// words the Linux host prints for the Qt ones.
#pragma once

#include <string>

#include "platform/windows/windows_api.h"

namespace scchost {

// The class name of the provider dialog made from this template, as the Linux host prints
// it; null for one that is not answered (the progress window) or not known.
const char* ProviderDialogName(int templateId);

// One line of output, whole, whichever thread prints it.
void Print(const std::string& line);
// Its list views' rows ("  row: a | b") and its read-only edits ("  ID: text").
void PrintShownContent(HWND dialog);

// A message box's text; "" for a window that is no message box.
std::string MessageBoxText(HWND window);
std::string Caption(HWND window);

// Selects the row of the history's list whose version is `version`; false when none is.
bool SelectVersion(HWND history, const std::string& version);

}  // namespace scchost
