// Files without a name, and unique temporary files, on POSIX calls: the ground of the
// portable temporary and replacement files here.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace platform {

// Creates a new unique file with mkstemp, in $TMPDIR when usable, else in the fallback
// folder (skipped when empty), else in /tmp; a folder is usable when the file could be made
// there. Returns the open descriptor (the caller closes it) and the path, or -1 with errno set.
int CreateUniqueTempFile(const std::string& fallbackDir, std::string* path);

// A file with no name in folder, created as a new file is (0666 less the umask). Invalid
// with errno set; EOPNOTSUPP, EISDIR or EINVAL say that the file system has no such files.
UniqueFd CreateNamelessFileIn(const std::string& folder);

// Gives a nameless file the name path, replacing at once what was there; false with errno
// set.
bool NameFile(int fd, const std::string& path);

// Gives a nameless file the name path only when nothing has that name yet; false with errno
// set, EEXIST when something has.
bool NameNewFile(int fd, const std::string& path);

// A path that opens the file behind the descriptor again, named or not.
std::string DescriptorPath(int fd);

}  // namespace platform
