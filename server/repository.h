// Queries and changes of the repository's tables, one function per question the scripts
// and the administration ask. Callers hold the transaction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/database.h"

namespace server {

struct User {
    std::int64_t id = 0;
    std::string name;
    std::string passwordHash;
    std::string notice;
};

struct FileState {
    std::int64_t id = 0;
    std::int64_t projectId = 0;
    std::string folder;  // '/' between folders, "" for the project root
    std::string name;
    bool removed = false;
    std::int64_t removedAt = 0;
    std::string remover;
    std::int64_t checkoutUserId = 0;  // 0 when not checked out
    std::string checkoutUser;
    std::int64_t latestVersion = 0;
};

struct Version {
    std::int64_t id = 0;
    std::int64_t number = 0;
    std::string object;
    std::int64_t size = 0;
    std::string contentHash;
    std::string user;
    std::int64_t createdAt = 0;
    std::string description;
};

struct NewVersion {
    std::string object;
    std::int64_t size = 0;
    std::string contentHash;
    std::int64_t userId = 0;
    std::string description;
};

// Organizations, users, projects
std::optional<std::int64_t> FindOrganization(Database& db, const std::string& name);
std::optional<User> FindUser(Database& db, std::int64_t organizationId, const std::string& name);
std::optional<std::int64_t> FindProject(Database& db, std::int64_t organizationId,
                                        const std::string& name);
std::vector<std::string> ProjectNames(Database& db, std::int64_t organizationId);
void InsertOrganization(Database& db, const std::string& name);
void InsertUser(Database& db, std::int64_t organizationId, const std::string& name,
                const std::string& passwordHash);
void SetNotice(Database& db, std::int64_t userId, const std::string& notice);
void InsertProject(Database& db, std::int64_t organizationId, const std::string& name,
                   const std::string& description);

// Files
std::optional<FileState> FindFile(Database& db, std::int64_t projectId, const std::string& folder,
                                  const std::string& name);
// The files not removed in the folder, and with recurse in every folder below it.
std::vector<FileState> LiveFilesUnder(Database& db, std::int64_t projectId,
                                      const std::string& folder, bool recurse);
// Whether folder/name would be both a file and a folder: a live file stands where one of
// its folders would be, or live files lie below it.
bool ClashesWithFileOrFolder(Database& db, std::int64_t projectId, const std::string& folder,
                             const std::string& name);
std::int64_t InsertFile(Database& db, std::int64_t projectId, const std::string& folder,
                        const std::string& name);
void MarkRemoved(Database& db, std::int64_t fileId, std::int64_t userId, std::int64_t when);
void Revive(Database& db, std::int64_t fileId);
void SetCheckout(Database& db, std::int64_t fileId, std::int64_t userId, std::int64_t when);
void ClearCheckout(Database& db, std::int64_t fileId);

// Versions and labels
std::optional<Version> FindVersion(Database& db, std::int64_t fileId, std::int64_t number);
std::optional<Version> FindLabelledVersion(Database& db, std::int64_t fileId,
                                           const std::string& label);
std::vector<Version> VersionsOf(Database& db, std::int64_t fileId);
// The labels on a version, joined with ", ".
std::string LabelsOn(Database& db, std::int64_t versionId);
void InsertVersion(Database& db, std::int64_t fileId, std::int64_t number,
                   const NewVersion& version, std::int64_t when);
// Puts the label on the latest version of every file not removed, moving it when the
// project already has a label of that name.
void AttachLabel(Database& db, std::int64_t projectId, const std::string& name,
                 const std::string& description, std::int64_t userId, std::int64_t when);

}  // namespace server
