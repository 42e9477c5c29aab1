// The system's text for an error of the internet services.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// From wininet.dll's message table, else the system's, as UTF-8 ending in one line feed.
std::string WinInetErrorText(DWORD error);

}  // namespace platform
