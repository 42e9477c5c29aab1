// Proves that an uploaded archive unpacks, and tells what content it carries.
#pragma once

#include <optional>
#include <string>

namespace server {

// The SHA-256 of the file the archive carries, or nothing when the archive cannot be
// unpacked (not a zip archive, a failed CRC check). Unpacks into a scratch file under
// tempFolder that is gone when the call returns.
std::optional<std::string> HashArchiveContent(const std::string& archivePath,
                                              const std::string& tempFolder);

}  // namespace server
