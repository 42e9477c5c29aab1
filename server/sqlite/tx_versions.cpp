#include "server/sqlite/sqlite_tx.h"

namespace server {
namespace {

constexpr const char* kVersionColumns = R"sql(
SELECT v.id, v.number, v.object, v.size, v.content_hash, u.name, v.created_at, v.description
FROM versions v JOIN users u ON u.id = v.user_id
)sql";

Version ReadVersion(const Statement& row) {
    return Version{row.Int(0),  row.Int(1),  row.Text(2), row.Int(3),
                   row.Text(4), row.Text(5), row.Int(6),  row.Text(7)};
}

std::optional<Version> FirstVersion(Statement query) {
    if (!query.Step()) return std::nullopt;
    return ReadVersion(query);
}

}  // namespace

std::optional<Version> SqliteTx::FindVersion(std::int64_t fileId, std::int64_t number) {
    const std::string sql = std::string(kVersionColumns) + "WHERE v.file_id = ? AND v.number = ?";
    return FirstVersion(db_.Prepare(sql.c_str(), fileId, number));
}

std::optional<Version> SqliteTx::FindLabelledVersion(std::int64_t fileId,
                                                     const std::string& label) {
    const std::string sql = std::string(kVersionColumns) +
                            "JOIN label_versions lv ON lv.version_id = v.id "
                            "JOIN labels l ON l.id = lv.label_id "
                            "WHERE v.file_id = ? AND l.name = ?";
    return FirstVersion(db_.Prepare(sql.c_str(), fileId, label));
}

std::vector<Version> SqliteTx::VersionsOf(std::int64_t fileId) {
    const std::string sql = std::string(kVersionColumns) + "WHERE v.file_id = ? ORDER BY v.number";
    Statement query = db_.Prepare(sql.c_str(), fileId);
    std::vector<Version> versions;
    while (query.Step()) versions.push_back(ReadVersion(query));
    return versions;
}

std::string SqliteTx::LabelsOn(std::int64_t versionId) {
    Statement query = db_.Prepare(
        "SELECT l.name FROM labels l JOIN label_versions lv ON lv.label_id = l.id "
        "WHERE lv.version_id = ? ORDER BY l.name",
        versionId);
    std::string labels;
    while (query.Step()) labels += (labels.empty() ? "" : ", ") + query.Text(0);
    return labels;
}

void SqliteTx::InsertVersion(std::int64_t fileId, std::int64_t number, const NewVersion& version,
                             std::int64_t when) {
    db_.Prepare(
           "INSERT INTO versions (file_id, number, object, size, content_hash, user_id, "
           "created_at, "
           "description) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
           fileId, number, version.object, version.size, version.contentHash, version.userId, when,
           version.description)
        .Run();
}

void SqliteTx::AttachLabel(std::int64_t projectId, const std::string& name,
                           const std::string& description, std::int64_t userId, std::int64_t when) {
    db_.Prepare(
           "INSERT INTO labels (project_id, name, description, user_id, created_at) "
           "VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT (project_id, name) DO UPDATE SET "
           "description = ?3, user_id = ?4, created_at = ?5",
           projectId, name, description, userId, when)
        .Run();
    Statement label =
        db_.Prepare("SELECT id FROM labels WHERE project_id = ? AND name = ?", projectId, name);
    label.Step();
    const std::int64_t labelId = label.Int(0);
    db_.Prepare("DELETE FROM label_versions WHERE label_id = ?", labelId).Run();
    db_.Prepare(
           "INSERT INTO label_versions (label_id, version_id) "
           "SELECT ?, v.id FROM versions v JOIN files f ON f.id = v.file_id "
           "WHERE f.project_id = ? AND f.removed_at IS NULL "
           "AND v.number = (SELECT MAX(number) FROM versions WHERE file_id = f.id)",
           labelId, projectId)
        .Run();
}

void SqliteTx::StoreContent(const std::string& address, TempFile& upload) {
    placements_.push_back(objects_.Place(upload, address));
}

void SqliteTx::KeepContents() {
    for (Placement& placement : placements_) placement.Keep();
}

}  // namespace server
