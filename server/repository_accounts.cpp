#include "server/repository.h"

namespace server {
namespace {

std::optional<std::int64_t> FirstId(Statement statement) {
    if (!statement.Step()) return std::nullopt;
    return statement.Int(0);
}

}  // namespace

std::optional<std::int64_t> FindOrganization(Database& db, const std::string& name) {
    return FirstId(db.Prepare("SELECT id FROM organizations WHERE name = ?", name));
}

std::optional<User> FindUser(Database& db, std::int64_t organizationId, const std::string& name) {
    Statement query = db.Prepare(
        "SELECT id, name, password_hash, notice FROM users WHERE organization_id = ? AND name = ?",
        organizationId, name);
    if (!query.Step()) return std::nullopt;
    return User{query.Int(0), query.Text(1), query.Text(2), query.Text(3)};
}

std::optional<std::int64_t> FindProject(Database& db, std::int64_t organizationId,
                                        const std::string& name) {
    return FirstId(db.Prepare("SELECT id FROM projects WHERE organization_id = ? AND name = ?",
                              organizationId, name));
}

std::vector<std::string> ProjectNames(Database& db, std::int64_t organizationId) {
    Statement query = db.Prepare(
        "SELECT name FROM projects WHERE organization_id = ? ORDER BY name", organizationId);
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.Text(0));
    return names;
}

void InsertOrganization(Database& db, const std::string& name) {
    db.Prepare("INSERT INTO organizations (name) VALUES (?)", name).Run();
}

void InsertUser(Database& db, std::int64_t organizationId, const std::string& name,
                const std::string& passwordHash) {
    db.Prepare("INSERT INTO users (organization_id, name, password_hash) VALUES (?, ?, ?)",
               organizationId, name, passwordHash)
        .Run();
}

void SetNotice(Database& db, std::int64_t userId, const std::string& notice) {
    db.Prepare("UPDATE users SET notice = ? WHERE id = ?", notice, userId).Run();
}

void InsertProject(Database& db, std::int64_t organizationId, const std::string& name,
                   const std::string& description) {
    db.Prepare("INSERT INTO projects (organization_id, name, description) VALUES (?, ?, ?)",
               organizationId, name, description)
        .Run();
}

}  // namespace server
