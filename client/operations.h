// The server operations of the client library, one source file each.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "client/context.h"
#include "client/file_version.h"
#include "common/entry_inflater.h"

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

// Upload. *found, when given, is set to the number of files the walk found, sent or not.
int AddFiles(std::string startPath, std::string pattern, std::string viewPath, int recurse,
             int preserve, int checkin, std::string description, COstrelContext& context,
             size_t* found = nullptr);
int AddFile(COstrelContext& context, int checkin, const std::string& localPath,
            const std::string& viewPath, const std::string& description);

// Download
int GetFiles(std::string viewPath, std::string localFolder, int recurse, int preserve, int checkout,
             std::string description, std::string label, std::string version,
             COstrelContext& context);
int CreateDirectoryPath(const std::string& path);
// The file at viewPath (label and version select one when not empty) into *contents, which
// changes only when the file came whole. Returns 0; the transport's code, or -5, -1001, -1003
// or -2027, each with its message shown; or the server's status, which only the notifier
// hears of (a FileDone of a get), so that each host decides whether a refusal is news.
int FetchFileToMemory(COstrelContext& context, const std::string& viewPath,
                      const std::string& description, const std::string& label,
                      const std::string& version, std::string* contents);
// The same, handing the content to sink piece by piece as it is unpacked, so that no file is
// ever held whole. Pieces of a file that turns out damaged have been handed all the same:
// only a result of 0 says that they were the file, whole.
int FetchFileToMemory(COstrelContext& context, const std::string& viewPath,
                      const std::string& description, const std::string& label,
                      const std::string& version, const EntrySink& sink);

// Undo check-out and remove
int UncheckoutFiles(COstrelContext& context, const std::string& viewPath, int recurse);
int RemoveFiles(COstrelContext& context, const std::string& viewPath, int recurse);

// Queries about files of the current project. Each returns 0, the transport's code, -5 after
// a failed read (what came whole is kept), -1003 for a field too long to be one, or the
// server's status with its text shown and the outputs as they were.
//
// Appends one record per version in the server's order. A field missing from a record keeps
// the value of the record before; a record without its description is left out. type
// "label" also reads each version's labels.
int GetHistory(COstrelContext& context, const std::string& viewPath, const std::string& type,
               std::vector<CFileVersion>* versions);
// The current version's record; *record changes only when the record came whole (up to
// "remover:"), its m_strFileName never.
int GetProperties(COstrelContext& context, const std::string& viewPath, const std::string& type,
                  CFileVersion* record);
// One entry per view path, in their order: the state of the pair the server answered for
// it, or none for a path the answer left out. The paths travel joined by '|', and the
// answer names none of them, so a path holding a '|' is not sent (and has none): it would
// split in two and give every later path the state of the one before it. No path to send:
// nothing is sent and the result is 0.
int QueryInfoMultiple(COstrelContext& context, const std::vector<std::string>& viewPaths,
                      std::vector<std::optional<FileState>>* states);

}  // namespace brelmox
