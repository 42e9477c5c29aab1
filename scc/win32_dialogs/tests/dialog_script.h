// A scripted user for the dialogs under test: it runs on a second thread while the test's
// thread sits in a dialog, finds the dialog, fills and answers it, and renders it.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/windows/windows_api.h"
#include "scc/win32_dialogs/open_dialogs.h"

namespace brelmoxscc::testing {

// A visible dialog of this process with that caption, or null after ten seconds.
HWND WaitForDialog(const std::wstring& caption);
// A visible dialog owned by `owner` (a message box, a picker), or null after ten seconds.
HWND WaitForDialogOwnedBy(HWND owner);

void SetItemText(HWND dialog, int id, const std::wstring& text);
// The texts of a dialog's children in tab order, those of static texts included.
std::wstring ChildTexts(HWND dialog);

// Paints the window and saves what the screen shows of it, frame included, as
// BRELMOX_DIALOG_PICTURES/NAME.png.
void Render(HWND window, const std::string& name);

// Runs the script on its own thread. After the script, and until Finish, every dialog of
// this process still open is cancelled, so a script that fails never leaves the test's
// thread waiting in a dialog.
class ScriptedUser {
  public:
    explicit ScriptedUser(std::function<void()> script);
    ~ScriptedUser() { Finish(); }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;
    void Finish();

  private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace brelmoxscc::testing
