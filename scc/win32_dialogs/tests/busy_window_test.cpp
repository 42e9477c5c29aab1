// A request that takes long, on Win32: the calling thread dispatches its messages while the
// worker works, so the progress window answers another thread's questions, is painted, and
// its Cancel reaches the request.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/windows/windows_api.h"
#include "scc/busy_runner.h"
#include "scc/tests/work_until_cancelled.h"
#include "scc/win32_dialogs/tests/dialog_script.h"
#include "scc/win32_dialogs/win32_provider_ui.h"

namespace brelmoxscc::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kAction = 1004, kFile = 1005;

// The IDE's own window on the calling thread, noting a message posted to it: it is handled
// only when the thread's messages are dispatched, not when the progress window serves itself.
std::atomic<bool> ideServed{false};

LRESULT CALLBACK IdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ideServed = true;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeIdeWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = IdeWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BrelmoxTestIde";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"BrelmoxTestIde", L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

TEST(BusyWindowTest, TheWindowAnswersWhileTheWorkerWorksAndItsCancelStopsIt) {
    const std::unique_ptr<ProviderUi> ui = MakeWin32ProviderUi(GetModuleHandleW(nullptr));
    BusyRunner runner(*ui);
    const HWND ide = MakeIdeWindow();
    ASSERT_NE(ide, nullptr);
    ideServed = false;
    std::wstring action;
    std::wstring file;
    bool servedWhileBusy = false;
    ScriptedUser user([&] {
        const HWND window = WaitForDialog(L"");
        if (window == nullptr) return;
        PostMessageW(ide, WM_APP, 0, 0);
        for (int i = 0; i < 500 && !ideServed; ++i) std::this_thread::sleep_for(20ms);
        servedWhileBusy = ideServed;
        // Reading another thread's controls sends them messages: answered only while the
        // calling thread dispatches. The window is shown before its texts are set.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (ItemText(window, kFile) == L"Static" &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        action = ItemText(window, kAction);
        file = ItemText(window, kFile);
        Render(window, "CProgressTracker-busy");
        Press(window, IDCANCEL);
    });
    bool cancelled = false;
    runner.Run("Reading the files' status",
               [&] { cancelled = scctest::WorkUntilCancelled(runner); });
    user.Finish();
    DestroyWindow(ide);
    EXPECT_TRUE(servedWhileBusy);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(action, L"Reading the files' status");
    EXPECT_EQ(file, L"big.bin \u2014 12.0 of 256.0 MiB");
}

TEST(BusyWindowTest, TheWorkersMessagesAreShownOnTheCallingThread) {
    const std::unique_ptr<ProviderUi> ui = MakeWin32ProviderUi(GetModuleHandleW(nullptr));
    BusyRunner runner(*ui);
    DWORD shownOn = 0;
    DWORD workedOn = 0;
    runner.Run("Reading the files' status", [&] {
        workedOn = GetCurrentThreadId();
        runner.Show([&] { shownOn = GetCurrentThreadId(); });
    });
    EXPECT_EQ(shownOn, GetCurrentThreadId());
    EXPECT_NE(workedOn, GetCurrentThreadId());
}

}  // namespace
}  // namespace brelmoxscc::testing
