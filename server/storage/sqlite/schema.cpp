#include "server/storage/sqlite/schema.h"

#include <iterator>

namespace server {
namespace {

constexpr const char* kFirstSchema = R"sql(
CREATE TABLE organizations (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE
);
CREATE TABLE users (
    id INTEGER PRIMARY KEY,
    organization_id INTEGER NOT NULL REFERENCES organizations(id),
    name TEXT NOT NULL,
    password_hash TEXT NOT NULL,
    notice TEXT NOT NULL DEFAULT '',
    UNIQUE (organization_id, name)
);
CREATE TABLE projects (
    id INTEGER PRIMARY KEY,
    organization_id INTEGER NOT NULL REFERENCES organizations(id),
    name TEXT NOT NULL,
    description TEXT NOT NULL DEFAULT '',
    UNIQUE (organization_id, name)
);
CREATE TABLE files (
    id INTEGER PRIMARY KEY,
    project_id INTEGER NOT NULL REFERENCES projects(id),
    folder TEXT NOT NULL,
    name TEXT NOT NULL,
    removed_at INTEGER,
    removed_by INTEGER REFERENCES users(id),
    UNIQUE (project_id, folder, name)
);
CREATE TABLE versions (
    id INTEGER PRIMARY KEY,
    file_id INTEGER NOT NULL REFERENCES files(id),
    number INTEGER NOT NULL,
    object TEXT NOT NULL,
    size INTEGER NOT NULL,
    content_hash TEXT NOT NULL,
    user_id INTEGER NOT NULL REFERENCES users(id),
    created_at INTEGER NOT NULL,
    description TEXT NOT NULL,
    UNIQUE (file_id, number)
);
CREATE TABLE checkouts (
    file_id INTEGER PRIMARY KEY REFERENCES files(id),
    user_id INTEGER NOT NULL REFERENCES users(id),
    checked_out_at INTEGER NOT NULL
);
CREATE TABLE labels (
    id INTEGER PRIMARY KEY,
    project_id INTEGER NOT NULL REFERENCES projects(id),
    name TEXT NOT NULL,
    description TEXT NOT NULL,
    user_id INTEGER NOT NULL REFERENCES users(id),
    created_at INTEGER NOT NULL,
    UNIQUE (project_id, name)
);
CREATE TABLE label_versions (
    label_id INTEGER NOT NULL REFERENCES labels(id),
    version_id INTEGER NOT NULL REFERENCES versions(id),
    PRIMARY KEY (label_id, version_id)
);
CREATE INDEX label_versions_by_version ON label_versions (version_id);
)sql";

// Step i takes a folder from version i + 1 to version i + 2, always in the transaction that
// also records the new version, so a failed step leaves the folder as it was.
constexpr const char* kSteps[] = {
    // Folder listings and the file/folder check skip removed files.
    "CREATE INDEX files_live ON files (project_id, folder) WHERE removed_at IS NULL;",
    // Small archives kept in the database, made durable by the commit's one flush.
    "CREATE TABLE contents (address TEXT PRIMARY KEY, bytes BLOB NOT NULL) WITHOUT ROWID;",
    // Users the administrator has turned away, 1, keep their history.
    "ALTER TABLE users ADD COLUMN disabled INTEGER NOT NULL DEFAULT 0;",
};
constexpr int kCurrentVersion = 1 + static_cast<int>(std::size(kSteps));

int StoredVersion(Database& db) {
    Statement query = db.Prepare("PRAGMA user_version");
    query.Step();
    return static_cast<int>(query.Int(0));
}

void StepUpFrom(Database& db, int version) {
    for (int step = version; step < kCurrentVersion; ++step) db.Execute(kSteps[step - 1]);
    db.Execute(("PRAGMA user_version = " + std::to_string(kCurrentVersion)).c_str());
}

}  // namespace

void CreateSchema(Database& db) {
    Transaction transaction(db, Transaction::Kind::kWrite);
    db.Execute(kFirstSchema);
    StepUpFrom(db, 1);
    transaction.Commit();
}

void UpgradeSchema(Database& db, const std::string& folder) {
    Transaction transaction(db, Transaction::Kind::kWrite);
    const int version = StoredVersion(db);
    if (version > kCurrentVersion) {
        throw StorageError("Data folder '" + folder + "' has schema version " +
                           std::to_string(version) + ", newer than this brelmox-server knows (" +
                           std::to_string(kCurrentVersion) +
                           "): it was written by a newer brelmox-server, which must serve it.");
    }
    if (version < 1) {
        throw StorageError("Data folder '" + folder + "' holds no brelmox-server schema.");
    }
    if (version == kCurrentVersion) return;
    StepUpFrom(db, version);
    transaction.Commit();
}

}  // namespace server
