#include "server/admin.h"

#include "common/format.h"
#include "server/names.h"
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
    if (password.empty()) throw AdminError("The password must not be empty.");
    const std::string hash = HashPassword(password, iterations);
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
    storage.RunWrite([&](WriteTx& tx) {
        const std::optional<User> found = tx.FindUser(OrganizationNamed(tx, organization), user);
        if (!found) throw AdminError("Unknown user '" + user + "' in '" + organization + "'.");
        tx.SetNotice(found->id, notice);
    });
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

}  // namespace server
