// Names (organizations, users, projects, labels, files, folders) are the bytes the client
// sends; none may hold a control character, as names travel in answer and log lines.
// Descriptions (of versions, labels and projects) may hold anything, up to a bound.
#pragma once

#include <cstddef>
#include <string>

namespace server {

bool HasControlCharacter(const std::string& text);

// Descriptions are stored and shown in dialogs; a longer one is refused, not cut.
inline constexpr std::size_t kDescriptionLimit = 64 * 1024;

}  // namespace server
