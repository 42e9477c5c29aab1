#include "scc/win32_dialogs/message_loop_waiter.h"

#include "platform/windows/windows_api.h"

namespace brelmoxscc {
namespace {

class MessageLoopWaiter : public UiWaiter {
  public:
    MessageLoopWaiter() : woken_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~MessageLoopWaiter() override {
        if (woken_ != nullptr) CloseHandle(woken_);
    }
    MessageLoopWaiter(const MessageLoopWaiter&) = delete;
    MessageLoopWaiter& operator=(const MessageLoopWaiter&) = delete;

    void Wait(std::chrono::milliseconds timeout) override {
        const DWORD count = woken_ != nullptr ? 1 : 0;
        MsgWaitForMultipleObjectsEx(count, &woken_, static_cast<DWORD>(timeout.count()),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        DispatchWaiting();
    }

    void Wake() override {
        if (woken_ != nullptr) SetEvent(woken_);
    }

  private:
    // Everything queued for this thread, as the IDE's own loop would. A quit message is put
    // back for the IDE's loop, which ends once the provider returns.
    static void DispatchWaiting() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            // A dialog of ours or the IDE's (the progress window among them) gets its keys.
            const HWND dialog = GetAncestor(message.hwnd, GA_ROOT);
            if (dialog != nullptr && IsDialog(dialog) && IsDialogMessageW(dialog, &message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    static bool IsDialog(HWND window) {
        wchar_t name[8] = {};
        // The class of every dialog box.
        return GetClassNameW(window, name, 8) == 6 && lstrcmpW(name, L"#32770") == 0;
    }

    HANDLE woken_;
};

}  // namespace

std::unique_ptr<UiWaiter> MakeMessageLoopWaiter() {
    return std::make_unique<MessageLoopWaiter>();
}

}  // namespace brelmoxscc
