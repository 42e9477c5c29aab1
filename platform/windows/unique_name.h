// New files under names nobody has yet, made atomically by the system (CREATE_NEW).
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Creates ".brelmox-<random>.tmp" in folder (which ends in a separator, or is empty for
// the current folder) with the access and flags given, shared for reading and deletion.
// INVALID_HANDLE_VALUE with GetLastError() set when the folder takes no new file; *path,
// when given, receives the name made.
HANDLE CreateNewUniqueFile(const std::string& folder, DWORD access, DWORD flags,
                           std::string* path = nullptr);

}  // namespace platform
