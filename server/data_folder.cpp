#include "server/data_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "server/database.h"

namespace server {
namespace {

constexpr const char* kSchema = R"sql(
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
PRAGMA user_version = 1;
)sql";

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        throw StorageError("Cannot create folder '" + path + "': " + std::strerror(errno));
    }
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

DataFolder::DataFolder(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

void DataFolder::Initialise() const {
    if (Exists(DatabasePath())) {
        throw StorageError("Data folder '" + root_ + "' is already initialised.");
    }
    MakeFolder(root_);
    MakeFolder(ObjectsPath());
    MakeFolder(TempPath());
    Database db(DatabasePath(), true);
    Transaction transaction(db, Transaction::Kind::kWrite);
    db.Execute(kSchema);
    transaction.Commit();
}

void DataFolder::RequireInitialised() const {
    if (!Exists(DatabasePath()) || !Exists(ObjectsPath()) || !Exists(TempPath())) {
        throw StorageError("Data folder '" + root_ +
                           "' is not initialised (run: brelmox-server init --data " + root_ + ").");
    }
}

}  // namespace server
