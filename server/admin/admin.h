// The administrator's changes: organizations, users and their notices, projects.
// Each throws AdminError with a message for the administrator when it cannot be done.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/auth/password.h"
#include "server/storage/storage.h"

namespace server {

class AdminError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void AddOrganization(Storage& storage, const std::string& organization);
void AddUser(Storage& storage, const std::string& organization, const std::string& user,
             const std::string& password, int iterations = kDefaultPasswordIterations);
// An empty text removes the notice.
void SetUserNotice(Storage& storage, const std::string& organization, const std::string& user,
                   const std::string& notice);
void AddProject(Storage& storage, const std::string& organization, const std::string& project,
                const std::string& description);

// Listings, in byte order of the names.
std::vector<std::string> ListOrganizations(Storage& storage);
std::vector<UserSummary> ListUsers(Storage& storage, const std::string& organization);
std::vector<std::string> ListProjects(Storage& storage, const std::string& organization);

void SetPassword(Storage& storage, const std::string& organization, const std::string& user,
                 const std::string& password, int iterations = kDefaultPasswordIterations);
// A disabled user keeps its history and its check-outs (ReleaseCheckouts undoes those).
void SetUserDisabled(Storage& storage, const std::string& organization, const std::string& user,
                     bool disabled);
// Returns how many check-outs were undone.
std::int64_t ReleaseCheckouts(Storage& storage, const std::string& organization,
                              const std::string& user);
void RemoveProject(Storage& storage, const std::string& organization, const std::string& project);

}  // namespace server
