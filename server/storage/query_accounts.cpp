#include "server/storage/query_tx.h"

namespace server {
namespace {

std::optional<std::int64_t> FirstId(const std::unique_ptr<sql::Rows>& rows) {
    if (!rows->Next()) return std::nullopt;
    return rows->Int(0);
}

std::vector<std::string> Names(const std::unique_ptr<sql::Rows>& rows) {
    std::vector<std::string> names;
    while (rows->Next()) names.push_back(rows->Text(0));
    return names;
}

// A project's rows, those that refer to others first.
constexpr const char* kRemoveProject[] = {
    "DELETE FROM label_versions WHERE label_id IN (SELECT id FROM labels WHERE project_id = $1)",
    "DELETE FROM labels WHERE project_id = $1",
    "DELETE FROM checkouts WHERE file_id IN (SELECT id FROM files WHERE project_id = $1)",
    "DELETE FROM versions WHERE file_id IN (SELECT id FROM files WHERE project_id = $1)",
    "DELETE FROM files WHERE project_id = $1",
    "DELETE FROM projects WHERE id = $1",
};

}  // namespace

std::optional<std::int64_t> QueryTx::FindOrganization(const std::string& name) {
    return FirstId(sql_.Fetch("SELECT id FROM organizations WHERE name = $1", name));
}

std::optional<User> QueryTx::FindUser(std::int64_t organizationId, const std::string& name) {
    const std::unique_ptr<sql::Rows> row = sql_.Fetch(
        "SELECT id, name, password_hash, notice, disabled FROM users WHERE organization_id = $1 "
        "AND name = $2",
        organizationId, name);
    if (!row->Next()) return std::nullopt;
    return User{row->Int(0), row->Text(1), row->Text(2), row->Text(3), row->Int(4) != 0};
}

std::optional<std::int64_t> QueryTx::FindProject(std::int64_t organizationId,
                                                 const std::string& name) {
    return FirstId(sql_.Fetch("SELECT id FROM projects WHERE organization_id = $1 AND name = $2",
                              organizationId, name));
}

std::vector<std::string> QueryTx::ProjectNames(std::int64_t organizationId) {
    return Names(sql_.Fetch("SELECT name FROM projects WHERE organization_id = $1 ORDER BY name",
                            organizationId));
}

std::vector<std::string> QueryTx::OrganizationNames() {
    return Names(sql_.Fetch("SELECT name FROM organizations ORDER BY name"));
}

std::vector<UserSummary> QueryTx::UsersOf(std::int64_t organizationId) {
    const std::unique_ptr<sql::Rows> rows = sql_.Fetch(
        "SELECT u.name, u.disabled, (SELECT COUNT(*) FROM checkouts c WHERE c.user_id = u.id) "
        "FROM users u WHERE u.organization_id = $1 ORDER BY u.name",
        organizationId);
    std::vector<UserSummary> users;
    while (rows->Next())
        users.push_back(UserSummary{rows->Text(0), rows->Int(1) != 0, rows->Int(2)});
    return users;
}

void QueryTx::InsertOrganization(const std::string& name) {
    sql_.Fetch("INSERT INTO organizations (name) VALUES ($1)", name);
}

void QueryTx::InsertUser(std::int64_t organizationId, const std::string& name,
                         const std::string& passwordHash) {
    sql_.Fetch("INSERT INTO users (organization_id, name, password_hash) VALUES ($1, $2, $3)",
               organizationId, name, passwordHash);
}

void QueryTx::SetNotice(std::int64_t userId, const std::string& notice) {
    sql_.Fetch("UPDATE users SET notice = $1 WHERE id = $2", notice, userId);
}

void QueryTx::SetPasswordHash(std::int64_t userId, const std::string& passwordHash) {
    sql_.Fetch("UPDATE users SET password_hash = $1 WHERE id = $2", passwordHash, userId);
}

void QueryTx::SetDisabled(std::int64_t userId, bool disabled) {
    sql_.Fetch("UPDATE users SET disabled = $1 WHERE id = $2", disabled, userId);
}

std::int64_t QueryTx::ReleaseCheckoutsOf(std::int64_t userId) {
    const std::unique_ptr<sql::Rows> released =
        sql_.Fetch("DELETE FROM checkouts WHERE user_id = $1 RETURNING file_id", userId);
    std::int64_t count = 0;
    while (released->Next()) ++count;
    return count;
}

void QueryTx::RemoveProject(std::int64_t projectId) {
    for (const char* statement : kRemoveProject) sql_.Fetch(statement, projectId);
}

void QueryTx::InsertProject(std::int64_t organizationId, const std::string& name,
                            const std::string& description) {
    sql_.Fetch("INSERT INTO projects (organization_id, name, description) VALUES ($1, $2, $3)",
               organizationId, name, description);
}

}  // namespace server
