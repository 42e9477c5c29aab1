#include "server/storage/schema.h"

#include <iterator>

#include "server/storage/storage.h"

namespace server {
namespace {

// {id}: an id the database assigns; {integer}, {text} (bytes compared by their bytes) and
// {empty} (the empty text); {file_columns}: what files keep beside these columns;
// {content_tables}: where archives live when versions must refer to them;
// {object_reference}: that reference; {version_table}: where the version is recorded.
constexpr const char* kFirstSchema = R"sql({version_table}
CREATE TABLE organizations (
    id {id},
    name {text} NOT NULL UNIQUE
);
CREATE TABLE users (
    id {id},
    organization_id {integer} NOT NULL REFERENCES organizations(id),
    name {text} NOT NULL,
    password_hash {text} NOT NULL,
    notice {text} NOT NULL DEFAULT {empty},
    UNIQUE (organization_id, name)
);
CREATE TABLE projects (
    id {id},
    organization_id {integer} NOT NULL REFERENCES organizations(id),
    name {text} NOT NULL,
    description {text} NOT NULL DEFAULT {empty},
    UNIQUE (organization_id, name)
);
CREATE TABLE files (
    id {id},
    project_id {integer} NOT NULL REFERENCES projects(id),
    folder {text} NOT NULL,
    name {text} NOT NULL,
    removed_at {integer},
    removed_by {integer} REFERENCES users(id),{file_columns}
    UNIQUE (project_id, folder, name)
);{content_tables}
CREATE TABLE versions (
    id {id},
    file_id {integer} NOT NULL REFERENCES files(id),
    number {integer} NOT NULL,
    object {text} NOT NULL{object_reference},
    size {integer} NOT NULL,
    content_hash {text} NOT NULL,
    user_id {integer} NOT NULL REFERENCES users(id),
    created_at {integer} NOT NULL,
    description {text} NOT NULL,
    UNIQUE (file_id, number)
);
CREATE TABLE checkouts (
    file_id {integer} PRIMARY KEY REFERENCES files(id),
    user_id {integer} NOT NULL REFERENCES users(id),
    checked_out_at {integer} NOT NULL
);
CREATE TABLE labels (
    id {id},
    project_id {integer} NOT NULL REFERENCES projects(id),
    name {text} NOT NULL,
    description {text} NOT NULL,
    user_id {integer} NOT NULL REFERENCES users(id),
    created_at {integer} NOT NULL,
    UNIQUE (project_id, name)
);
CREATE TABLE label_versions (
    label_id {integer} NOT NULL REFERENCES labels(id),
    version_id {integer} NOT NULL REFERENCES versions(id),
    PRIMARY KEY (label_id, version_id)
);
CREATE INDEX label_versions_by_version ON label_versions (version_id);
)sql";

// Step i takes a schema from version i + 1 to version i + 2, always in the transaction that
// also records the new version, so a failed step leaves the schema as it was.
constexpr const char* kSteps[] = {
    // Folder listings and the file/folder check skip removed files.
    "CREATE INDEX files_live ON files (project_id, folder) WHERE removed_at IS NULL;",
    // {contents_step}: the data folder's small archives kept in its database, made durable
    // by the commit's one flush; the shared database's archives stored ahead of the
    // transaction that refers to them.
    "{contents_step}",
    // Users the administrator has turned away, 1, keep their history.
    "ALTER TABLE users ADD COLUMN disabled {integer} NOT NULL DEFAULT 0;",
};

void StepUpFrom(SchemaStore& store, std::int64_t version) {
    for (std::int64_t step = version; step < kCurrentSchemaVersion; ++step)
        store.Execute(RenderSchema(kSteps[step - 1], store.Words()));
    store.RecordVersion(kCurrentSchemaVersion);
}

}  // namespace

const std::int64_t kCurrentSchemaVersion = 1 + static_cast<std::int64_t>(std::size(kSteps));

std::string RenderSchema(const std::string& text, const SchemaWords& words) {
    std::string rendered;
    std::size_t at = 0;
    for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{', at)) {
        const std::size_t close = text.find('}', open);
        const auto word = words.find(text.substr(open + 1, close - open - 1));
        if (close == std::string::npos || word == words.end())
            throw StorageError("The schema names an unknown word at: " + text.substr(open, 40));
        rendered.append(text, at, open - at).append(word->second);
        at = close + 1;
    }
    return rendered.append(text, at);
}

void CreateSchemaIn(SchemaStore& store) {
    store.Execute(RenderSchema(kFirstSchema, store.Words()));
    StepUpFrom(store, 1);
}

bool UpgradeSchemaIn(SchemaStore& store, const std::string& hint) {
    const std::optional<std::int64_t> version = store.StoredVersion();
    if (!version || *version < 1)
        throw StorageError(store.Shown() + " holds no brelmox-server schema" + hint + ".");
    if (*version > kCurrentSchemaVersion)
        throw StorageError(NewerSchemaMessage(store.Shown(), *version));
    if (*version == kCurrentSchemaVersion) return false;
    StepUpFrom(store, *version);
    return true;
}

std::string NewerSchemaMessage(const std::string& shown, std::int64_t version) {
    return shown + " has schema version " + std::to_string(version) +
           ", newer than this brelmox-server knows (" + std::to_string(kCurrentSchemaVersion) +
           "): it was written by a newer brelmox-server, which must serve it.";
}

}  // namespace server
