// Which files a view path names, and which version of each a request asks for.
//
// A view path names a file, a folder or a pattern:
//  - a last component with '*' or '?' is a pattern for file names in its parent folder;
//  - otherwise a file of that name in the parent folder, if there is one;
//  - otherwise the folder of that path, standing for all its files.
// With recurse, the pattern or name also applies in every folder below the parent, and a
// folder stands for its whole tree. Removed files are never selected; an empty view path
// selects nothing, so that a forgotten argument never acts on a whole project.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/scripts/requests.h"
#include "server/storage/storage.h"

namespace server {

// In tree order: a folder's files by name, then each sub-folder's tree. The cursor is
// used while the transaction lasts.
std::unique_ptr<FileCursor> SelectFiles(ReadTx& tx, std::int64_t projectId,
                                        const std::string& viewPath, bool recurse);
// Every file of the cursor, for changes that must not run under their own query.
std::vector<FileState> AllOf(FileCursor& files);

// The wanted version of the file, or nothing with the text of the -2013 record in refusal.
std::optional<Version> ChooseVersion(ReadTx& tx, const FileState& file, const VersionWanted& wanted,
                                     std::string& refusal);

}  // namespace server
