// Names (organizations, users, projects, labels, files, folders) are the bytes the client
// sends; none may hold a control character, as names travel in answer and log lines.
#pragma once

#include <string>

namespace server {

bool HasControlCharacter(const std::string& text);

}  // namespace server
