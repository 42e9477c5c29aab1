// The administrator's changes: organizations, users and their notices, projects.
// Each throws AdminError with a message for the administrator when it cannot be done.
#pragma once

#include <stdexcept>
#include <string>

#include "server/password.h"
#include "server/storage.h"

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

}  // namespace server
