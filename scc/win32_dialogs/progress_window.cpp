#include "scc/win32_dialogs/progress_window.h"

#include "scc/win32_dialogs/dialog_ids.h"

namespace brelmoxscc {

CProgressTracker::CProgressTracker(HINSTANCE resources) : TemplateDialog(resources, IDD_PROGRESS) {}

bool CProgressTracker::Open() {
    if (!Create()) return false;
    RECT frame;
    GetWindowRect(Window(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(Window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    SetWindowPos(Window(), nullptr,
                 area.left + (area.right - area.left - (frame.right - frame.left)) / 2,
                 area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Window(), SW_SHOW);
    UpdateWindow(Window());
    HandleWaitingInput();
    return true;
}

void CProgressTracker::SetAction(const std::string& text) {
    SetStaticText(IDC_PROGRESS_ACTION, text);
}

void CProgressTracker::SetFile(const std::string& path) {
    SetStaticText(IDC_PROGRESS_FILE, path);
}

bool CProgressTracker::CancelRequested() {
    HandleWaitingInput();
    return cancelRequested_;
}

void CProgressTracker::OnCommand(int id, int /*notification*/) {
    if (id != IDCANCEL) return;
    cancelRequested_ = true;
    ShowWindow(Window(), SW_HIDE);
}

void CProgressTracker::SetStaticText(int id, const std::string& text) {
    SetItemText(id, text);
    RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HandleWaitingInput();
}

// The caller works on this thread between updates: the window's own messages (painting,
// the Cancel button) are handled here, and only those, so the IDE's windows are not
// re-entered in the middle of a command.
void CProgressTracker::HandleWaitingInput() {
    MSG message;
    while (Window() != nullptr && PeekMessageW(&message, Window(), 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace brelmoxscc
