#include "server/postgres/pg_tx.h"

namespace server::pg {
namespace {

constexpr const char* kVersionColumns = R"sql(
SELECT v.id, v.number, v.object, v.size, v.content_hash, u.name, v.created_at, v.description
FROM versions v JOIN users u ON u.id = v.user_id
)sql";

Version ReadVersion(const Result& rows, int row) {
    return Version{rows.Int(row, 0),  rows.Int(row, 1),  rows.Text(row, 2), rows.Int(row, 3),
                   rows.Text(row, 4), rows.Text(row, 5), rows.Int(row, 6),  rows.Text(row, 7)};
}

std::optional<Version> FirstVersion(const Result& rows) {
    if (rows.Empty()) return std::nullopt;
    return ReadVersion(rows, 0);
}

}  // namespace

std::optional<Version> PgTx::FindVersion(std::int64_t fileId, std::int64_t number) {
    const std::string sql = std::string(kVersionColumns) + "WHERE v.file_id = $1 AND v.number = $2";
    return FirstVersion(db_.Query(sql.c_str(), fileId, number));
}

std::optional<Version> PgTx::FindLabelledVersion(std::int64_t fileId, const std::string& label) {
    const std::string sql = std::string(kVersionColumns) +
                            "JOIN label_versions lv ON lv.version_id = v.id "
                            "JOIN labels l ON l.id = lv.label_id "
                            "WHERE v.file_id = $1 AND l.name = $2";
    return FirstVersion(db_.Query(sql.c_str(), fileId, label));
}

std::vector<Version> PgTx::VersionsOf(std::int64_t fileId) {
    const std::string sql = std::string(kVersionColumns) + "WHERE v.file_id = $1 ORDER BY v.number";
    const Result rows = db_.Query(sql.c_str(), fileId);
    std::vector<Version> versions;
    for (int row = 0; row < rows.Rows(); ++row) versions.push_back(ReadVersion(rows, row));
    return versions;
}

std::string PgTx::LabelsOn(std::int64_t versionId) {
    const Result rows = db_.Query(
        "SELECT l.name FROM labels l JOIN label_versions lv ON lv.label_id = l.id "
        "WHERE lv.version_id = $1 ORDER BY l.name",
        versionId);
    std::string labels;
    for (int row = 0; row < rows.Rows(); ++row)
        labels += (labels.empty() ? "" : ", ") + rows.Text(row, 0);
    return labels;
}

void PgTx::InsertVersion(std::int64_t fileId, std::int64_t number, const NewVersion& version,
                         std::int64_t when) {
    db_.Query(
        "INSERT INTO versions (file_id, number, object, size, content_hash, user_id, created_at, "
        "description) VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
        fileId, number, version.object, version.size, version.contentHash, version.userId, when,
        version.description);
}

void PgTx::AttachLabel(std::int64_t projectId, const std::string& name,
                       const std::string& description, std::int64_t userId, std::int64_t when) {
    const std::int64_t labelId =
        db_.Query(
               "INSERT INTO labels (project_id, name, description, user_id, created_at) "
               "VALUES ($1, $2, $3, $4, $5) ON CONFLICT (project_id, name) DO UPDATE SET "
               "description = EXCLUDED.description, user_id = EXCLUDED.user_id, "
               "created_at = EXCLUDED.created_at RETURNING id",
               projectId, name, description, userId, when)
            .Int(0, 0);
    db_.Query("DELETE FROM label_versions WHERE label_id = $1", labelId);
    db_.Query(
        "INSERT INTO label_versions (label_id, version_id) "
        "SELECT $1, v.id FROM versions v JOIN files f ON f.id = v.file_id "
        "WHERE f.project_id = $2 AND f.removed_at IS NULL "
        "AND v.number = (SELECT MAX(number) FROM versions WHERE file_id = f.id)",
        labelId, projectId);
}

}  // namespace server::pg
