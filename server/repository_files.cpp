#include <algorithm>

#include "server/repository.h"

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

// Folders compare component by component, so that a folder's files come before those of
// its sub-folders and each sub-folder tree is complete before the next one starts. Names
// hold no control characters, so '\x01' sorts below every name byte.
std::string TreeOrderKey(const std::string& folder) {
    std::string key = folder;
    std::replace(key.begin(), key.end(), '/', '\x01');
    return key;
}

}  // namespace

std::optional<FileState> FindFile(Database& db, std::int64_t projectId, const std::string& folder,
                                  const std::string& name) {
    const std::string sql =
        std::string(kFileColumns) + "WHERE f.project_id = ? AND f.folder = ? AND f.name = ?";
    Statement query = db.Prepare(sql.c_str(), projectId, folder, name);
    if (!query.Step()) return std::nullopt;
    return ReadFile(query);
}

std::vector<FileState> LiveFilesUnder(Database& db, std::int64_t projectId,
                                      const std::string& folder, bool recurse) {
    // Everything below "a" lies in ["a/", "a0"), '0' being the byte after '/'.
    const std::string sql = std::string(kFileColumns) +
                            "WHERE f.project_id = ? AND f.removed_at IS NULL AND (f.folder = ? OR "
                            "(? AND (? = '' OR (f.folder >= ? AND f.folder < ?))))";
    Statement query = db.Prepare(sql.c_str(), projectId, folder, recurse ? 1 : 0, folder,
                                 folder + "/", folder + "0");
    std::vector<FileState> files;
    while (query.Step()) files.push_back(ReadFile(query));
    std::sort(files.begin(), files.end(), [](const FileState& a, const FileState& b) {
        const std::string keyA = TreeOrderKey(a.folder);
        const std::string keyB = TreeOrderKey(b.folder);
        return keyA != keyB ? keyA < keyB : a.name < b.name;
    });
    return files;
}

bool ClashesWithFileOrFolder(Database& db, std::int64_t projectId, const std::string& folder,
                             const std::string& name) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    if (db.Prepare("SELECT 1 FROM files WHERE project_id = ? AND removed_at IS NULL AND "
                   "(folder = ? OR (folder >= ? AND folder < ?))",
                   projectId, path, path + "/", path + "0")
            .Step()) {
        return true;
    }
    std::string above;
    for (std::size_t start = 0; start < folder.size();) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        if (db.Prepare("SELECT 1 FROM files WHERE project_id = ? AND removed_at IS NULL AND "
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

std::int64_t InsertFile(Database& db, std::int64_t projectId, const std::string& folder,
                        const std::string& name) {
    db.Prepare("INSERT INTO files (project_id, folder, name) VALUES (?, ?, ?)", projectId, folder,
               name)
        .Run();
    return db.LastInsertId();
}

void MarkRemoved(Database& db, std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db.Prepare("UPDATE files SET removed_at = ?, removed_by = ? WHERE id = ?", when, userId, fileId)
        .Run();
}

void Revive(Database& db, std::int64_t fileId) {
    db.Prepare("UPDATE files SET removed_at = NULL, removed_by = NULL WHERE id = ?", fileId).Run();
}

void SetCheckout(Database& db, std::int64_t fileId, std::int64_t userId, std::int64_t when) {
    db.Prepare(
          "INSERT OR REPLACE INTO checkouts (file_id, user_id, checked_out_at) VALUES (?, ?, ?)",
          fileId, userId, when)
        .Run();
}

void ClearCheckout(Database& db, std::int64_t fileId) {
    db.Prepare("DELETE FROM checkouts WHERE file_id = ?", fileId).Run();
}

}  // namespace server
