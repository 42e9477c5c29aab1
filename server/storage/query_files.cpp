#include <algorithm>

#include "server/storage/query_tx.h"

namespace server {
namespace {

constexpr const char* kFileColumns = R"sql(
SELECT f.id, f.project_id, f.folder, f.name, f.removed_at, COALESCE(r.name, ''),
       COALESCE(c.user_id, 0), COALESCE(cu.name, ''),
       (SELECT COALESCE(MAX(number), 0) FROM versions v WHERE v.file_id = f.id)
FROM files f
LEFT JOIN users r ON r.id = f.removed_by
LEFT JOIN checkouts c ON c.file_id = f.id
LEFT JOIN users cu ON cu.id = c.user_id
)sql";

FileState ReadFile(const sql::Rows& row) {
    FileState file;
    file.id = row.Int(0);
    file.projectId = row.Int(1);
    file.folder = row.Text(2);
    file.name = row.Text(3);
    file.removed = !row.IsNull(4);
    file.removedAt = row.Int(4);
    file.remover = row.Text(5);
    file.checkoutUserId = row.Int(6);
    file.checkoutUser = row.Text(7);
    file.latestVersion = row.Int(8);
    return file;
}

class RowsCursor final : public FileCursor {
  public:
    explicit RowsCursor(std::unique_ptr<sql::Rows> rows) : rows_(std::move(rows)) {}
    bool Next(FileState& file) override {
        if (!rows_->Next()) return false;
        file = ReadFile(*rows_);
        return true;
    }

  private:
    std::unique_ptr<sql::Rows> rows_;
};

}  // namespace

std::optional<FileState> QueryTx::FindFile(std::int64_t projectId, const std::string& folder,
                                           const std::string& name) {
    const std::unique_ptr<sql::Rows> row = sql_.Fetch(
        std::string(kFileColumns) + "WHERE f.project_id = $1 AND f.folder = $2 AND f.name = $3",
        projectId, folder, name);
    if (!row->Next()) return std::nullopt;
    return ReadFile(*row);
}

std::unique_ptr<FileCursor> QueryTx::LiveFilesUnder(std::int64_t projectId,
                                                    const std::string& folder, bool recurse) {
    if (!recurse) {
        // The (project, folder) index of live files yields one folder's files.
        return std::make_unique<RowsCursor>(
            sql_.Stream(std::string(kFileColumns) + "WHERE f.project_id = $1 AND f.folder = $2 AND "
                                                    "f.removed_at IS NULL ORDER BY f.name",
                        projectId, folder));
    }
    // Everything below "a" lies in ["a/", "a0"), '0' being the byte after '/'.
    return std::make_unique<RowsCursor>(
        sql_.Stream(std::string(kFileColumns) +
                        "WHERE f.project_id = $1 AND f.removed_at IS NULL AND (f.folder = $2 OR "
                        "$2 = '' OR (f.folder >= $3 AND f.folder < $4)) ORDER BY " +
                        std::string(sql_.TreeOrder()) + ", f.name",
                    projectId, folder, folder + "/", folder + "0"));
}

bool QueryTx::ClashesWithFileOrFolder(std::int64_t projectId, const std::string& folder,
                                      const std::string& name) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    // Two searches of the index of live files: joined by one OR, a planner may scan the
    // project.
    if (sql_.Fetch("SELECT 1 WHERE EXISTS (SELECT 1 FROM files WHERE project_id = $1 AND "
                   "removed_at IS NULL AND folder = $2) OR EXISTS (SELECT 1 FROM files WHERE "
                   "project_id = $1 AND removed_at IS NULL AND folder >= $3 AND folder < $4)",
                   projectId, path, path + "/", path + "0")
            ->Next()) {
        return true;
    }
    std::string above;
    for (std::size_t start = 0; start < folder.size();) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        if (sql_.Fetch("SELECT 1 FROM files WHERE project_id = $1 AND removed_at IS NULL AND "
                       "folder = $2 AND name = $3",
                       projectId, above, folder.substr(start, end - start))
                ->Next()) {
            return true;
        }
        above = folder.substr(0, end);
        start = end + 1;
    }
    return false;
}

std::int64_t QueryTx::InsertFile(std::int64_t projectId, const std::string& folder,
                                 const std::string& name) {
    const std::unique_ptr<sql::Rows> inserted =
        sql_.Fetch("INSERT INTO files (project_id, folder, name) VALUES ($1, $2, $3) RETURNING id",
                   projectId, folder, name);
    inserted->Next();
    return inserted->Int(0);
}

void QueryTx::MarkRemoved(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    sql_.Fetch("UPDATE files SET removed_at = $1, removed_by = $2 WHERE id = $3", when, userId,
               fileId);
}

void QueryTx::Revive(std::int64_t fileId) {
    sql_.Fetch("UPDATE files SET removed_at = NULL, removed_by = NULL WHERE id = $1", fileId);
}

void QueryTx::SetCheckout(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    sql_.Fetch(
        "INSERT INTO checkouts (file_id, user_id, checked_out_at) VALUES ($1, $2, $3) "
        "ON CONFLICT (file_id) DO UPDATE SET user_id = excluded.user_id, "
        "checked_out_at = excluded.checked_out_at",
        fileId, userId, when);
}

void QueryTx::ClearCheckout(std::int64_t fileId) {
    sql_.Fetch("DELETE FROM checkouts WHERE file_id = $1", fileId);
}

}  // namespace server
