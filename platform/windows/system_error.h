// Windows error codes as the errno values that the platform layer's interface speaks, and
// paths as the system's wide-character calls take them.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// ENOENT for a missing file or folder, EACCES, EBUSY for a file another program holds
// open, EEXIST, ENOSPC, EINVAL...; EIO for a code without a closer match.
int ErrnoOf(DWORD error);

// Sets errno from GetLastError() and returns it.
int ErrnoFromLastError();

// A path for the W calls: UTF-16 with '\' separators; one of 240 characters or more is made
// absolute and given the \\?\ prefix, so that paths over MAX_PATH work.
std::wstring WidePath(const std::string& path);

}  // namespace platform
