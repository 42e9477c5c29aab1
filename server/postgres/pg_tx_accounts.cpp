#include "server/admin_queries.h"
#include "server/postgres/pg_tx.h"

namespace server::pg {
namespace {

std::optional<std::int64_t> FirstId(const Result& result) {
    if (result.Empty()) return std::nullopt;
    return result.Int(0, 0);
}

}  // namespace

std::optional<std::int64_t> PgTx::FindOrganization(const std::string& name) {
    return FirstId(db_.Query("SELECT id FROM organizations WHERE name = $1", name));
}

std::optional<User> PgTx::FindUser(std::int64_t organizationId, const std::string& name) {
    const Result row = db_.Query(
        "SELECT id, name, password_hash, notice, disabled FROM users WHERE organization_id = $1 "
        "AND name = $2",
        organizationId, name);
    if (row.Empty()) return std::nullopt;
    return User{row.Int(0, 0), row.Text(0, 1), row.Text(0, 2), row.Text(0, 3), row.Int(0, 4) != 0};
}

std::optional<std::int64_t> PgTx::FindProject(std::int64_t organizationId,
                                              const std::string& name) {
    return FirstId(db_.Query("SELECT id FROM projects WHERE organization_id = $1 AND name = $2",
                             organizationId, name));
}

std::vector<std::string> PgTx::ProjectNames(std::int64_t organizationId) {
    const Result rows = db_.Query(
        "SELECT name FROM projects WHERE organization_id = $1 ORDER BY name", organizationId);
    std::vector<std::string> names;
    for (int row = 0; row < rows.Rows(); ++row) names.push_back(rows.Text(row, 0));
    return names;
}

std::vector<std::string> PgTx::OrganizationNames() {
    const Result rows = db_.Query(admin_sql::kOrganizationNames);
    std::vector<std::string> names;
    for (int row = 0; row < rows.Rows(); ++row) names.push_back(rows.Text(row, 0));
    return names;
}

std::vector<UserSummary> PgTx::UsersOf(std::int64_t organizationId) {
    const Result rows = db_.Query(admin_sql::kUsersOf, organizationId);
    std::vector<UserSummary> users;
    for (int row = 0; row < rows.Rows(); ++row)
        users.push_back(UserSummary{rows.Text(row, 0), rows.Int(row, 1) != 0, rows.Int(row, 2)});
    return users;
}

void PgTx::InsertOrganization(const std::string& name) {
    db_.Query("INSERT INTO organizations (name) VALUES ($1)", name);
}

void PgTx::InsertUser(std::int64_t organizationId, const std::string& name,
                      const std::string& passwordHash) {
    db_.Query("INSERT INTO users (organization_id, name, password_hash) VALUES ($1, $2, $3)",
              organizationId, name, passwordHash);
}

void PgTx::SetNotice(std::int64_t userId, const std::string& notice) {
    db_.Query("UPDATE users SET notice = $1 WHERE id = $2", notice, userId);
}

void PgTx::SetPasswordHash(std::int64_t userId, const std::string& passwordHash) {
    db_.Query(admin_sql::kSetPasswordHash, passwordHash, userId);
}

void PgTx::SetDisabled(std::int64_t userId, bool disabled) {
    db_.Query(admin_sql::kSetDisabled, disabled ? 1 : 0, userId);
}

std::int64_t PgTx::ReleaseCheckoutsOf(std::int64_t userId) {
    return db_.Query(admin_sql::kReleaseCheckoutsOf, userId).Rows();
}

void PgTx::RemoveProject(std::int64_t projectId) {
    for (const char* sql : admin_sql::kRemoveProject) db_.Query(sql, projectId);
}

void PgTx::InsertProject(std::int64_t organizationId, const std::string& name,
                         const std::string& description) {
    db_.Query("INSERT INTO projects (organization_id, name, description) VALUES ($1, $2, $3)",
              organizationId, name, description);
}

}  // namespace server::pg
