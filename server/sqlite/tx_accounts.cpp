#include "server/admin_queries.h"
#include "server/sqlite/sqlite_tx.h"

namespace server {
namespace {

std::optional<std::int64_t> FirstId(Statement statement) {
    if (!statement.Step()) return std::nullopt;
    return statement.Int(0);
}

}  // namespace

std::optional<std::int64_t> SqliteTx::FindOrganization(const std::string& name) {
    return FirstId(db_.Prepare("SELECT id FROM organizations WHERE name = ?", name));
}

std::optional<User> SqliteTx::FindUser(std::int64_t organizationId, const std::string& name) {
    Statement query = db_.Prepare(
        "SELECT id, name, password_hash, notice, disabled FROM users WHERE organization_id = ? AND "
        "name = ?",
        organizationId, name);
    if (!query.Step()) return std::nullopt;
    return User{query.Int(0), query.Text(1), query.Text(2), query.Text(3), query.Int(4) != 0};
}

std::optional<std::int64_t> SqliteTx::FindProject(std::int64_t organizationId,
                                                  const std::string& name) {
    return FirstId(db_.Prepare("SELECT id FROM projects WHERE organization_id = ? AND name = ?",
                               organizationId, name));
}

std::vector<std::string> SqliteTx::ProjectNames(std::int64_t organizationId) {
    Statement query = db_.Prepare(
        "SELECT name FROM projects WHERE organization_id = ? ORDER BY name", organizationId);
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.Text(0));
    return names;
}

std::vector<std::string> SqliteTx::OrganizationNames() {
    Statement query = db_.Prepare(admin_sql::kOrganizationNames);
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.Text(0));
    return names;
}

std::vector<UserSummary> SqliteTx::UsersOf(std::int64_t organizationId) {
    Statement query = db_.Prepare(admin_sql::kUsersOf, organizationId);
    std::vector<UserSummary> users;
    while (query.Step())
        users.push_back(UserSummary{query.Text(0), query.Int(1) != 0, query.Int(2)});
    return users;
}

void SqliteTx::InsertOrganization(const std::string& name) {
    db_.Prepare("INSERT INTO organizations (name) VALUES (?)", name).Run();
}

void SqliteTx::InsertUser(std::int64_t organizationId, const std::string& name,
                          const std::string& passwordHash) {
    db_.Prepare("INSERT INTO users (organization_id, name, password_hash) VALUES (?, ?, ?)",
                organizationId, name, passwordHash)
        .Run();
}

void SqliteTx::SetNotice(std::int64_t userId, const std::string& notice) {
    db_.Prepare("UPDATE users SET notice = ? WHERE id = ?", notice, userId).Run();
}

void SqliteTx::SetPasswordHash(std::int64_t userId, const std::string& passwordHash) {
    db_.Prepare(admin_sql::kSetPasswordHash, passwordHash, userId).Run();
}

void SqliteTx::SetDisabled(std::int64_t userId, bool disabled) {
    db_.Prepare(admin_sql::kSetDisabled, disabled ? 1 : 0, userId).Run();
}

std::int64_t SqliteTx::ReleaseCheckoutsOf(std::int64_t userId) {
    Statement released = db_.Prepare(admin_sql::kReleaseCheckoutsOf, userId);
    std::int64_t count = 0;
    while (released.Step()) ++count;
    return count;
}

void SqliteTx::RemoveProject(std::int64_t projectId) {
    for (const char* sql : admin_sql::kRemoveProject) db_.Prepare(sql, projectId).Run();
}

void SqliteTx::InsertProject(std::int64_t organizationId, const std::string& name,
                             const std::string& description) {
    db_.Prepare("INSERT INTO projects (organization_id, name, description) VALUES (?, ?, ?)",
                organizationId, name, description)
        .Run();
}

}  // namespace server
