#include "server/admin/admin.h"

#include "common/format.h"
#include "server/scripts/names.h"
#include "server/statuses.h"

namespace server {
namespace {

void RequireName(const std::string& kind, const std::string& name) {
    if (name.empty() || HasControlCharacter(name)) {
        throw AdminError("Invalid " + kind + " name '" + name + "'.");
    }
}

std::int64_t OrganizationNamed(ReadTx& tx, const std::string& organization) {
    const std::optional<std::int64_t> id = tx.FindOrganization(organization);
    if (!id) throw AdminError("Unknown organization '" + organization + "'.");
    return *id;
}

User UserNamed(ReadTx& tx, const std::string& organization, const std::string& user) {
    std::optional<User> found = tx.FindUser(OrganizationNamed(tx, organization), user);
    if (!found) throw AdminError("Unknown user '" + user + "' in '" + organization + "'.");
    return std::move(*found);
}

std::string CheckedPasswordHash(const std::string& password, int iterations) {
    if (password.empty()) throw AdminError("The password must not be empty.");
    return HashPassword(password, iterations);
}

}  // namespace

void AddOrganization(Storage& storage, const std::string& organization) {
    RequireName("organization", organization);
    storage.RunWrite([&](WriteTx& tx) {
        if (tx.FindOrganization(organization)) {
            throw AdminError("Organization '" + organization + "' already exists.");
        }
        tx.InsertOrganization(organization);
    });
}

void AddUser(Storage& storage, const std::string& organization, const std::string& user,
             const std::string& password, int iterations) {
    RequireName("user", user);
    const std::string hash = CheckedPasswordHash(password, iterations);
    storage.RunWrite([&](WriteTx& tx) {
        const std::int64_t organizationId = OrganizationNamed(tx, organization);
        if (tx.FindUser(organizationId, user)) {
            throw AdminError("User '" + user + "' already exists in '" + organization + "'.");
        }
        tx.InsertUser(organizationId, user, hash);
    });
}

void SetUserNotice(Storage& storage, const std::string& organization, const std::string& user,
                   const std::string& notice) {
    storage.RunWrite(
        [&](WriteTx& tx) { tx.SetNotice(UserNamed(tx, organization, user).id, notice); });
}

void AddProject(Storage& storage, const std::string& organization, const std::string& project,
                const std::string& description) {
    RequireName("project", project);
    if (description.size() > kDescriptionLimit) {
        throw AdminError(
            brelmox::FormatMessage(text::kDescriptionTooLong, std::to_string(kDescriptionLimit)));
    }
    storage.RunWrite([&](WriteTx& tx) {
        const std::int64_t organizationId = OrganizationNamed(tx, organization);
        if (tx.FindProject(organizationId, project)) {
            throw AdminError("Project '" + project + "' already exists in '" + organization + "'.");
        }
        tx.InsertProject(organizationId, project, description);
    });
}

std::vector<std::string> ListOrganizations(Storage& storage) {
    std::vector<std::string> names;
    storage.RunRead([&](ReadTx& tx) { names = tx.OrganizationNames(); });
    return names;
}

std::vector<UserSummary> ListUsers(Storage& storage, const std::string& organization) {
    std::vector<UserSummary> users;
    storage.RunRead([&](ReadTx& tx) { users = tx.UsersOf(OrganizationNamed(tx, organization)); });
    return users;
}

std::vector<std::string> ListProjects(Storage& storage, const std::string& organization) {
    std::vector<std::string> names;
    storage.RunRead(
        [&](ReadTx& tx) { names = tx.ProjectNames(OrganizationNamed(tx, organization)); });
    return names;
}

void SetPassword(Storage& storage, const std::string& organization, const std::string& user,
                 const std::string& password, int iterations) {
    const std::string hash = CheckedPasswordHash(password, iterations);
    storage.RunWrite(
        [&](WriteTx& tx) { tx.SetPasswordHash(UserNamed(tx, organization, user).id, hash); });
}

void SetUserDisabled(Storage& storage, const std::string& organization, const std::string& user,
                     bool disabled) {
    storage.RunWrite(
        [&](WriteTx& tx) { tx.SetDisabled(UserNamed(tx, organization, user).id, disabled); });
}

std::int64_t ReleaseCheckouts(Storage& storage, const std::string& organization,
                              const std::string& user) {
    std::int64_t released = 0;
    storage.RunWrite([&](WriteTx& tx) {
        released = tx.ReleaseCheckoutsOf(UserNamed(tx, organization, user).id);
    });
    return released;
}

void RemoveProject(Storage& storage, const std::string& organization, const std::string& project) {
    storage.RunWrite([&](WriteTx& tx) {
        const std::optional<std::int64_t> id =
            tx.FindProject(OrganizationNamed(tx, organization), project);
        if (!id) throw AdminError("Unknown project '" + project + "' in '" + organization + "'.");
        tx.RemoveProject(*id);
    });
}

}  // namespace server
