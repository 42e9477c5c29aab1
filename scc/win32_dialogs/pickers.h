// The shell's folder picker and the system's file-open dialog.
#pragma once

#include <string>

#include "scc/win32_dialogs/template_dialog.h"

namespace brelmoxscc {

// A folder, opening on `start` when it is not empty; empty when cancelled.
std::string PickFolder(HWND owner, const std::string& title, const std::string& start);
// A program's full path; empty when cancelled.
std::string PickProgram(HWND owner);

}  // namespace brelmoxscc
