#include "scc/win32_dialogs/tests/dialog_script.h"

// GDI+ builds on COM's stream interfaces, which the lean <windows.h> leaves out.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/windows/utf16.h"

namespace brelmoxscc::testing {
namespace {

using namespace std::chrono_literals;

HWND WaitFor(const std::function<bool(HWND)>& wanted, const std::string& what) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (HWND window : OpenDialogsOfThisProcess()) {
            if (wanted(window)) return window;
        }
        std::this_thread::sleep_for(20ms);
    }
    ADD_FAILURE() << "no dialog " << what << " appeared";
    return nullptr;
}

// GDI+ writes PNG through this encoder.
constexpr CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

void SavePng(HBITMAP bitmap, const std::filesystem::path& file) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    Gdiplus::GpBitmap* image = nullptr;
    EXPECT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image),
              Gdiplus::Ok);
    if (image != nullptr) {
        EXPECT_EQ(Gdiplus::DllExports::GdipSaveImageToFile(image, file.wstring().c_str(),
                                                           &kPngEncoder, nullptr),
                  Gdiplus::Ok)
            << file;
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace

HWND WaitForDialog(const std::wstring& caption) {
    return WaitFor([&](HWND window) { return Text(window) == caption; },
                   "titled " + platform::Utf8(caption));
}

HWND WaitForDialogOwnedBy(HWND owner) {
    return WaitFor([&](HWND window) { return GetWindow(window, GW_OWNER) == owner; },
                   "owned by the dialog");
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring ChildTexts(HWND dialog) {
    std::wstring texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts += Text(child) + L"\n";
    }
    return texts;
}

void Render(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The display shows what was painted once the window's surface has been flushed to it.
    std::this_thread::sleep_for(300ms);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    const std::filesystem::path folder = BRELMOX_DIALOG_PICTURES;
    std::filesystem::create_directories(folder);
    SavePng(bitmap, folder / (name + ".png"));
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

ScriptedUser::ScriptedUser(std::function<void()> script)
    : thread_([this, script = std::move(script)] {
          script();
          while (!finished_) {
              for (HWND window : OpenDialogsOfThisProcess()) Press(window, IDCANCEL);
              std::this_thread::sleep_for(100ms);
          }
      }) {}

void ScriptedUser::Finish() {
    finished_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace brelmoxscc::testing
