#include "platform/windows/wininet_error.h"

#include "platform/windows/utf16.h"

namespace platform {
namespace {

// For a code that neither table has a text for (Wine's tables lack some).
const wchar_t kNumberedError[] = L"Error ";

std::wstring MessageFrom(DWORD source, HMODULE module, DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source;
    DWORD length = FormatMessageW(flags, module, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    LocalFree(text);
    return message;
}

}  // namespace

std::string WinInetErrorText(DWORD error) {
    std::wstring text =
        MessageFrom(FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleW(L"wininet.dll"), error);
    // Errors of the sockets or the file system below the internet services have their text
    // in the system's table; an empty reason would tell the user nothing.
    if (text.empty()) text = MessageFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error);
    if (text.empty()) text = kNumberedError + std::to_wstring(error);
    // The system's texts end in CR LF; the program's messages end lines with a line feed.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return Utf8(text) + "\n";
}

}  // namespace platform
