#include "server/storage/query_tx.h"

namespace server {
namespace {

constexpr const char* kVersionColumns = R"sql(
SELECT v.id, v.number, v.object, v.size, v.content_hash, u.name, v.created_at, v.description
FROM versions v JOIN users u ON u.id = v.user_id
)sql";

Version ReadVersion(const sql::Rows& row) {
    return Version{row.Int(0),  row.Int(1),  row.Text(2), row.Int(3),
                   row.Text(4), row.Text(5), row.Int(6),  row.Text(7)};
}

std::optional<Version> FirstVersion(const std::unique_ptr<sql::Rows>& rows) {
    if (!rows->Next()) return std::nullopt;
    return ReadVersion(*rows);
}

}  // namespace

std::optional<Version> QueryTx::FindVersion(std::int64_t fileId, std::int64_t number) {
    return FirstVersion(sql_.Fetch(
        std::string(kVersionColumns) + "WHERE v.file_id = $1 AND v.number = $2", fileId, number));
}

std::optional<Version> QueryTx::FindLabelledVersion(std::int64_t fileId, const std::string& label) {
    return FirstVersion(sql_.Fetch(std::string(kVersionColumns) +
                                       "JOIN label_versions lv ON lv.version_id = v.id "
                                       "JOIN labels l ON l.id = lv.label_id "
                                       "WHERE v.file_id = $1 AND l.name = $2",
                                   fileId, label));
}

std::vector<Version> QueryTx::VersionsOf(std::int64_t fileId) {
    const std::unique_ptr<sql::Rows> rows =
        sql_.Fetch(std::string(kVersionColumns) + "WHERE v.file_id = $1 ORDER BY v.number", fileId);
    std::vector<Version> versions;
    while (rows->Next()) versions.push_back(ReadVersion(*rows));
    return versions;
}

std::string QueryTx::LabelsOn(std::int64_t versionId) {
    const std::unique_ptr<sql::Rows> rows = sql_.Fetch(
        "SELECT l.name FROM labels l JOIN label_versions lv ON lv.label_id = l.id "
        "WHERE lv.version_id = $1 ORDER BY l.name",
        versionId);
    std::string labels;
    while (rows->Next()) labels += (labels.empty() ? "" : ", ") + rows->Text(0);
    return labels;
}

void QueryTx::InsertVersion(std::int64_t fileId, std::int64_t number, const NewVersion& version,
                            std::int64_t when) {
    sql_.Fetch(
        "INSERT INTO versions (file_id, number, object, size, content_hash, user_id, created_at, "
        "description) VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
        fileId, number, version.object, version.size, version.contentHash, version.userId, when,
        version.description);
}

void QueryTx::AttachLabel(std::int64_t projectId, const std::string& name,
                          const std::string& description, std::int64_t userId, std::int64_t when) {
    std::int64_t labelId = 0;
    {
        const std::unique_ptr<sql::Rows> label = sql_.Fetch(
            "INSERT INTO labels (project_id, name, description, user_id, created_at) "
            "VALUES ($1, $2, $3, $4, $5) ON CONFLICT (project_id, name) DO UPDATE SET "
            "description = excluded.description, user_id = excluded.user_id, "
            "created_at = excluded.created_at RETURNING id",
            projectId, name, description, userId, when);
        label->Next();
        labelId = label->Int(0);
    }
    sql_.Fetch("DELETE FROM label_versions WHERE label_id = $1", labelId);
    sql_.Fetch(
        "INSERT INTO label_versions (label_id, version_id) "
        "SELECT $1, v.id FROM versions v JOIN files f ON f.id = v.file_id "
        "WHERE f.project_id = $2 AND f.removed_at IS NULL "
        "AND v.number = (SELECT MAX(number) FROM versions WHERE file_id = f.id)",
        labelId, projectId);
}

}  // namespace server
