#include <algorithm>
#include <memory>

#include "server/postgres/pg_content_store.h"
#include "server/postgres/pg_tx.h"

namespace server::pg {
namespace {

constexpr const char* kFileColumns = R"sql(
SELECT f.id, f.project_id, f.folder, f.name, f.removed_at, COALESCE(r.name, ''::bytea),
       COALESCE(c.user_id, 0), COALESCE(cu.name, ''::bytea),
       (SELECT COALESCE(MAX(number), 0) FROM versions v WHERE v.file_id = f.id)
FROM files f
LEFT JOIN users r ON r.id = f.removed_by
LEFT JOIN checkouts c ON c.file_id = f.id
LEFT JOIN users cu ON cu.id = c.user_id
)sql";

// Everything below "a" lies in ["a/", "a0"), '0' being the byte after '/'.
constexpr const char* kLiveFilesWhere =
    "WHERE f.project_id = $1 AND f.removed_at IS NULL AND (f.folder = $2 OR ($3 = 1 AND "
    "($2 = ''::bytea OR (f.folder >= $4 AND f.folder < $5)))) ORDER BY f.tree_key, f.name";

constexpr int kRowsPerFetch = 256;

FileState ReadFile(const Result& rows, int row) {
    FileState file;
    file.id = rows.Int(row, 0);
    file.projectId = rows.Int(row, 1);
    file.folder = rows.Text(row, 2);
    file.name = rows.Text(row, 3);
    file.removed = !rows.IsNull(row, 4);
    file.removedAt = rows.Int(row, 4);
    file.remover = rows.Text(row, 5);
    file.checkoutUserId = rows.Int(row, 6);
    file.checkoutUser = rows.Text(row, 7);
    file.latestVersion = rows.Int(row, 8);
    return file;
}

// A server-side cursor fetched a batch at a time, so a large folder is never one result.
class FetchCursor final : public FileCursor {
  public:
    FetchCursor(Connection& db, std::string name)
        : db_(db), fetch_("FETCH " + std::to_string(kRowsPerFetch) + " FROM " + name) {}
    bool Next(FileState& file) override {
        if (!batch_ || (next_ == batch_->Rows() && batch_->Rows() == kRowsPerFetch)) {
            batch_ = std::make_unique<Result>(db_.RunOnce(fetch_.c_str(), Parameters()));
            next_ = 0;
        }
        if (next_ == batch_->Rows()) return false;
        file = ReadFile(*batch_, next_++);
        return true;
    }

  private:
    Connection& db_;
    std::string fetch_;
    std::unique_ptr<Result> batch_;
    int next_ = 0;
};

}  // namespace

std::optional<FileState> PgTx::FindFile(std::int64_t projectId, const std::string& folder,
                                        const std::string& name) {
    const std::string sql =
        std::string(kFileColumns) + "WHERE f.project_id = $1 AND f.folder = $2 AND f.name = $3";
    const Result row = db_.Query(sql.c_str(), projectId, folder, name);
    if (row.Empty()) return std::nullopt;
    return ReadFile(row, 0);
}

std::unique_ptr<FileCursor> PgTx::LiveFilesUnder(std::int64_t projectId, const std::string& folder,
                                                 bool recurse) {
    const std::string name = "live_files_" + std::to_string(++cursors_);
    const std::string sql =
        "DECLARE " + name + " BINARY NO SCROLL CURSOR FOR " + kFileColumns + kLiveFilesWhere;
    Parameters parameters;
    parameters.Add(projectId);
    parameters.Add(folder);
    parameters.Add(recurse ? 1 : 0);
    const std::string below = folder + "/", after = folder + "0";
    parameters.Add(below);
    parameters.Add(after);
    db_.RunOnce(sql.c_str(), parameters);
    return std::make_unique<FetchCursor>(db_, name);
}

bool PgTx::ClashesWithFileOrFolder(std::int64_t projectId, const std::string& folder,
                                   const std::string& name) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    if (!db_.Query("SELECT 1 FROM files WHERE project_id = $1 AND removed_at IS NULL AND "
                   "(folder = $2 OR (folder >= $3 AND folder < $4)) LIMIT 1",
                   projectId, path, path + "/", path + "0")
             .Empty()) {
        return true;
    }
    std::string above;
    for (std::size_t start = 0; start < folder.size();) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        if (!db_.Query("SELECT 1 FROM files WHERE project_id = $1 AND removed_at IS NULL AND "
                       "folder = $2 AND name = $3",
                       projectId, above, folder.substr(start, end - start))
                 .Empty()) {
            return true;
        }
        above = folder.substr(0, end);
        start = end + 1;
    }
    return false;
}

std::int64_t PgTx::InsertFile(std::int64_t projectId, const std::string& folder,
                              const std::string& name) {
    return db_
        .Query("INSERT INTO files (project_id, folder, name) VALUES ($1, $2, $3) RETURNING id",
               projectId, folder, name)
        .Int(0, 0);
}

void PgTx::MarkRemoved(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db_.Query("UPDATE files SET removed_at = $1, removed_by = $2 WHERE id = $3", when, userId,
              fileId);
}

void PgTx::Revive(std::int64_t fileId) {
    db_.Query("UPDATE files SET removed_at = NULL, removed_by = NULL WHERE id = $1", fileId);
}

void PgTx::SetCheckout(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db_.Query(
        "INSERT INTO checkouts (file_id, user_id, checked_out_at) VALUES ($1, $2, $3) "
        "ON CONFLICT (file_id) DO UPDATE SET user_id = EXCLUDED.user_id, "
        "checked_out_at = EXCLUDED.checked_out_at",
        fileId, userId, when);
}

void PgTx::ClearCheckout(std::int64_t fileId) {
    db_.Query("DELETE FROM checkouts WHERE file_id = $1", fileId);
}

void PgTx::StoreContent(const std::string& address, TempFile& upload) {
    ClaimContent(db_, address, upload.Path());
}

}  // namespace server::pg
