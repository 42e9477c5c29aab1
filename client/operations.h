// The server operations of the client library, one source file each.
#pragma once

#include <string>
#include <vector>

#include "client/context.h"

namespace brelmox {

// Start-up and projects
int ValidateUser(COstrelContext& context);
int ValidateProject(COstrelContext& context);
int CreateProject(COstrelContext& context, const std::string& name, const std::string& description);
int ConnectAndValidate(COstrelContext& context, int validateProject);
// The organization's project names, appended to *projects in the server's order: 0 (also
// for none), the transport's code, -1003 for a name over 64 KiB, or the server's status.
// After a failed read (-5) the names that came whole stay appended.
int GetProjectList(COstrelContext& context, std::vector<std::string>* projects);

// Labels
int CreateLabel(COstrelContext& context, const std::string& label, const std::string& description);

// Upload
int AddFiles(std::string startPath, std::string pattern, std::string viewPath, int recurse,
             int preserve, int checkin, std::string description, COstrelContext& context);
int AddFile(COstrelContext& context, int checkin, const std::string& localPath,
            const std::string& viewPath, const std::string& description);

// Download
int GetFiles(std::string viewPath, std::string localFolder, int recurse, int preserve, int checkout,
             std::string description, std::string label, std::string version,
             COstrelContext& context);
int CreateDirectoryPath(const std::string& path);

// Undo check-out and remove
int UncheckoutFiles(COstrelContext& context, const std::string& viewPath, int recurse);
int RemoveFiles(COstrelContext& context, const std::string& viewPath, int recurse);

}  // namespace brelmox
