#include "server/admin.h"

#include "server/names.h"
#include "server/repository.h"

namespace server {
namespace {

void RequireName(const std::string& kind, const std::string& name) {
    if (name.empty() || HasControlCharacter(name)) {
        throw AdminError("Invalid " + kind + " name '" + name + "'.");
    }
}

std::int64_t OrganizationNamed(Database& db, const std::string& organization) {
    const std::optional<std::int64_t> id = FindOrganization(db, organization);
    if (!id) throw AdminError("Unknown organization '" + organization + "'.");
    return *id;
}

}  // namespace

void AddOrganization(Database& db, const std::string& organization) {
    RequireName("organization", organization);
    Transaction transaction(db, Transaction::Kind::kWrite);
    if (FindOrganization(db, organization)) {
        throw AdminError("Organization '" + organization + "' already exists.");
    }
    InsertOrganization(db, organization);
    transaction.Commit();
}

void AddUser(Database& db, const std::string& organization, const std::string& user,
             const std::string& password, int iterations) {
    RequireName("user", user);
    if (password.empty()) throw AdminError("The password must not be empty.");
    const std::string hash = HashPassword(password, iterations);
    Transaction transaction(db, Transaction::Kind::kWrite);
    const std::int64_t organizationId = OrganizationNamed(db, organization);
    if (FindUser(db, organizationId, user)) {
        throw AdminError("User '" + user + "' already exists in '" + organization + "'.");
    }
    InsertUser(db, organizationId, user, hash);
    transaction.Commit();
}

void SetUserNotice(Database& db, const std::string& organization, const std::string& user,
                   const std::string& notice) {
    Transaction transaction(db, Transaction::Kind::kWrite);
    const std::optional<User> found = FindUser(db, OrganizationNamed(db, organization), user);
    if (!found) throw AdminError("Unknown user '" + user + "' in '" + organization + "'.");
    SetNotice(db, found->id, notice);
    transaction.Commit();
}

void AddProject(Database& db, const std::string& organization, const std::string& project,
                const std::string& description) {
    RequireName("project", project);
    Transaction transaction(db, Transaction::Kind::kWrite);
    const std::int64_t organizationId = OrganizationNamed(db, organization);
    if (FindProject(db, organizationId, project)) {
        throw AdminError("Project '" + project + "' already exists in '" + organization + "'.");
    }
    InsertProject(db, organizationId, project, description);
    transaction.Commit();
}

}  // namespace server
