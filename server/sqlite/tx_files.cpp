#include <algorithm>
#include <memory>

#include "server/sqlite/sqlite_tx.h"

namespace server {
namespace {

constexpr const char* kFileColumns = R"sql(
SELECT f.id, f.project_id, f.folder, f.name, f.removed_at, IFNULL(r.name, ''),
       IFNULL(c.user_id, 0), IFNULL(cu.name, ''),
       (SELECT IFNULL(MAX(number), 0) FROM versions v WHERE v.file_id = f.id)
FROM files f
LEFT JOIN users r ON r.id = f.removed_by
LEFT JOIN checkouts c ON c.file_id = f.id
LEFT JOIN users cu ON cu.id = c.user_id
)sql";

FileState ReadFile(const Statement& row) {
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

class StatementCursor final : public FileCursor {
  public:
    explicit StatementCursor(Statement query) : query_(std::move(query)) {}
    bool Next(FileState& file) override {
        if (!query_.Step()) return false;
        file = ReadFile(query_);
        return true;
    }

  private:
    Statement query_;
};

}  // namespace

std::optional<FileState> SqliteTx::FindFile(std::int64_t projectId, const std::string& folder,
                                            const std::string& name) {
    const std::string sql =
        std::string(kFileColumns) + "WHERE f.project_id = ? AND f.folder = ? AND f.name = ?";
    Statement query = db_.Prepare(sql.c_str(), projectId, folder, name);
    if (!query.Step()) return std::nullopt;
    return ReadFile(query);
}

std::unique_ptr<FileCursor> SqliteTx::LiveFilesUnder(std::int64_t projectId,
                                                     const std::string& folder, bool recurse) {
    // Everything below "a" lies in ["a/", "a0"), '0' being the byte after '/'. Folders
    // compare component by component for the tree order: names hold no control characters,
    // so char(1) in place of '/' sorts below every name byte.
    const std::string sql = std::string(kFileColumns) +
                            "WHERE f.project_id = ? AND f.removed_at IS NULL AND (f.folder = ? OR "
                            "(? AND (? = '' OR (f.folder >= ? AND f.folder < ?)))) "
                            "ORDER BY replace(f.folder, '/', char(1)), f.name";
    return std::make_unique<StatementCursor>(db_.Prepare(
        sql.c_str(), projectId, folder, recurse ? 1 : 0, folder, folder + "/", folder + "0"));
}

bool SqliteTx::ClashesWithFileOrFolder(std::int64_t projectId, const std::string& folder,
                                       const std::string& name) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    if (db_.Prepare("SELECT 1 FROM files WHERE project_id = ? AND removed_at IS NULL AND "
                    "(folder = ? OR (folder >= ? AND folder < ?))",
                    projectId, path, path + "/", path + "0")
            .Step()) {
        return true;
    }
    std::string above;
    for (std::size_t start = 0; start < folder.size();) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        if (db_.Prepare("SELECT 1 FROM files WHERE project_id = ? AND removed_at IS NULL AND "
                        "folder = ? AND name = ?",
                        projectId, above, folder.substr(start, end - start))
                .Step()) {
            return true;
        }
        above = folder.substr(0, end);
        start = end + 1;
    }
    return false;
}

std::int64_t SqliteTx::InsertFile(std::int64_t projectId, const std::string& folder,
                                  const std::string& name) {
    db_.Prepare("INSERT INTO files (project_id, folder, name) VALUES (?, ?, ?)", projectId, folder,
                name)
        .Run();
    return db_.LastInsertId();
}

void SqliteTx::MarkRemoved(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db_.Prepare("UPDATE files SET removed_at = ?, removed_by = ? WHERE id = ?", when, userId,
                fileId)
        .Run();
}

void SqliteTx::Revive(std::int64_t fileId) {
    db_.Prepare("UPDATE files SET removed_at = NULL, removed_by = NULL WHERE id = ?", fileId).Run();
}

void SqliteTx::SetCheckout(std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db_.Prepare(
           "INSERT OR REPLACE INTO checkouts (file_id, user_id, checked_out_at) VALUES (?, ?, ?)",
           fileId, userId, when)
        .Run();
}

void SqliteTx::ClearCheckout(std::int64_t fileId) {
    db_.Prepare("DELETE FROM checkouts WHERE file_id = ?", fileId).Run();
}

}  // namespace server
