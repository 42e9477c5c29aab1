// IDE paths turned into repository paths. A file's relative path from the project folder
// is written with '\' (".\src\main.c"); its view path drops the leading ".\" (src\main.c)
// and its view folder is the view path of the folder that holds it ("src", or "" for a
// file in the project root).
#pragma once

#include <string>

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// False, after a message naming the file, when the file does not lie below the project's
// local folder (or either path is not absolute), or when a name below it holds a '\' (a
// folder to the repository; on Windows it separates names) or a '*' or '?' (a pattern to
// it): a view path made from it would name other files, so nothing may be sent for it.
// Paths are compared as the system compares them: on Windows without regard to case, with
// either separator, on a drive or a share.
bool GetViewPath(const ProviderContext& context, const std::string& idePath, std::string* viewPath);
bool GetViewFolder(const ProviderContext& context, const std::string& idePath,
                   std::string* viewFolder);
// For a command on one file (history, properties, compare): SCC_OK with its view path, or,
// after a message, SCC_E_NONSPECIFICERROR without a file and SCC_E_FILENOTCONTROLLED for
// one outside the project folder.
SCCRTN ViewPathOfFile(const ProviderContext& context, LPCSTR file, std::string* viewPath);

// The same without a message, for questions the IDE asks silently (a file's state).
bool FindViewPath(const ProviderContext& context, const std::string& idePath,
                  std::string* viewPath);

}  // namespace brelmoxscc
