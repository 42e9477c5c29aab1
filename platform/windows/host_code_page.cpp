#include "platform/host_code_page.h"

#include <windows.h>

#include "platform/windows/utf16.h"

namespace platform {

std::string FromHostCodePage(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), count);
    return Utf8(wide);
}

bool ToHostCodePage(const std::string& utf8, std::string* host) {
    host->clear();
    if (utf8.empty()) return true;
    // Bytes that are not UTF-8 become U+FFFD, which no ANSI code page holds.
    const std::wstring wide = Utf16(utf8);
    const int size = static_cast<int>(wide.size());
    if (GetACP() == CP_UTF8) {
        if (wide.find(L'\xFFFD') != std::wstring::npos) return false;
        *host = utf8;
        return true;
    }
    BOOL defaultUsed = FALSE;
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                          0, nullptr, &defaultUsed);
    if (count <= 0 || defaultUsed) return false;
    host->resize(static_cast<size_t>(count));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, host->data(), count,
                        nullptr, nullptr);
    return true;
}

}  // namespace platform
