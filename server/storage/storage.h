// Everything the scripts and the administration need from storage, behind one interface:
// the repository's tables, the stored archives and the schema. The embedded storage
// (SQLite and a folder of archives, server/storage/sqlite/) is one implementation; a storage that
// many servers share is another. Nothing here names a file of a stored archive: contents
// go in from an upload's temporary file and come out through a ContentSource.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/storage/temp_file.h"

namespace server {

// The database or the content store failed in a way no request can fix.
class StorageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The server cannot start: the reason is for the administrator.
class StartupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct User {
    std::int64_t id = 0;
    std::string name;
    std::string passwordHash;
    std::string notice;
    // Refused at log-in as a wrong password is.
    bool disabled = false;
};

// A user as the administrator's listing shows it.
struct UserSummary {
    std::string name;
    bool disabled = false;
    std::int64_t checkouts = 0;
};

struct FileState {
    std::int64_t id = 0;
    std::int64_t projectId = 0;
    std::string folder;  // '/' between folders, "" for the project root
    std::string name;
    bool removed = false;
    std::int64_t removedAt = 0;
    std::string remover;
    std::int64_t checkoutUserId = 0;  // 0 when not checked out
    std::string checkoutUser;
    std::int64_t latestVersion = 0;
};

struct Version {
    std::int64_t id = 0;
    std::int64_t number = 0;
    std::string object;  // the stored archive's content address (SHA-256, hex)
    std::int64_t size = 0;
    std::string contentHash;
    std::string user;
    std::int64_t createdAt = 0;
    std::string description;
};

struct NewVersion {
    std::string object;
    std::int64_t size = 0;
    std::string contentHash;
    std::int64_t userId = 0;
    std::string description;
};

// A stored archive read from its first byte to its last.
class ContentSource {
  public:
    virtual ~ContentSource() = default;
    // Fills buffer with the next bytes; 0 only at the end. Throws StorageError.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// Files produced one at a time, as a query yields them.
class FileCursor {
  public:
    virtual ~FileCursor() = default;
    // The next file, or false when there is none.
    virtual bool Next(FileState& file) = 0;
};

// The questions of one transaction, all answered from one consistent state.
class ReadTx {
  public:
    virtual ~ReadTx() = default;

    virtual std::optional<std::int64_t> FindOrganization(const std::string& name) = 0;
    virtual std::optional<User> FindUser(std::int64_t organizationId, const std::string& name) = 0;
    virtual std::optional<std::int64_t> FindProject(std::int64_t organizationId,
                                                    const std::string& name) = 0;
    // In byte order.
    virtual std::vector<std::string> ProjectNames(std::int64_t organizationId) = 0;
    // In byte order.
    virtual std::vector<std::string> OrganizationNames() = 0;
    // In byte order of their names.
    virtual std::vector<UserSummary> UsersOf(std::int64_t organizationId) = 0;

    // The file of that folder and name, removed or not.
    virtual std::optional<FileState> FindFile(std::int64_t projectId, const std::string& folder,
                                              const std::string& name) = 0;
    // The files not removed in the folder, and with recurse in every folder below it, in
    // tree order: a folder's files by name (bytes), then each sub-folder's tree in the order
    // of the sub-folders' names. Valid while this transaction lasts.
    virtual std::unique_ptr<FileCursor> LiveFilesUnder(std::int64_t projectId,
                                                       const std::string& folder, bool recurse) = 0;
    // Whether folder/name would be both a file and a folder: a live file stands where one of
    // its folders would be, or live files lie below it.
    virtual bool ClashesWithFileOrFolder(std::int64_t projectId, const std::string& folder,
                                         const std::string& name) = 0;

    virtual std::optional<Version> FindVersion(std::int64_t fileId, std::int64_t number) = 0;
    virtual std::optional<Version> FindLabelledVersion(std::int64_t fileId,
                                                       const std::string& label) = 0;
    // Oldest first.
    virtual std::vector<Version> VersionsOf(std::int64_t fileId) = 0;
    // The labels on a version in byte order, joined with ", ".
    virtual std::string LabelsOn(std::int64_t versionId) = 0;
};

// A write transaction: the questions, the changes and the placing of contents.
class WriteTx : public ReadTx {
  public:
    virtual void InsertOrganization(const std::string& name) = 0;
    virtual void InsertUser(std::int64_t organizationId, const std::string& name,
                            const std::string& passwordHash) = 0;
    virtual void SetNotice(std::int64_t userId, const std::string& notice) = 0;
    virtual void SetPasswordHash(std::int64_t userId, const std::string& passwordHash) = 0;
    virtual void SetDisabled(std::int64_t userId, bool disabled) = 0;
    // Undoes every check-out the user holds; returns how many there were.
    virtual std::int64_t ReleaseCheckoutsOf(std::int64_t userId) = 0;
    // The project with its files, versions, check-outs and labels. The stored archives stay:
    // other projects' versions may name the same ones.
    virtual void RemoveProject(std::int64_t projectId) = 0;
    virtual void InsertProject(std::int64_t organizationId, const std::string& name,
                               const std::string& description) = 0;

    // Returns the new file's id.
    virtual std::int64_t InsertFile(std::int64_t projectId, const std::string& folder,
                                    const std::string& name) = 0;
    virtual void MarkRemoved(std::int64_t fileId, std::int64_t userId, std::int64_t when) = 0;
    virtual void Revive(std::int64_t fileId) = 0;
    virtual void SetCheckout(std::int64_t fileId, std::int64_t userId, std::int64_t when) = 0;
    virtual void ClearCheckout(std::int64_t fileId) = 0;

    virtual void InsertVersion(std::int64_t fileId, std::int64_t number, const NewVersion& version,
                               std::int64_t when) = 0;
    // Puts the label on the latest version of every file not removed, moving it when the
    // project already has a label of that name.
    virtual void AttachLabel(std::int64_t projectId, const std::string& name,
                             const std::string& description, std::int64_t userId,
                             std::int64_t when) = 0;

    // Stores the complete upload's bytes under their content address (a store that holds
    // that address already keeps what it has). Durable when the transaction commits; gone
    // again when it does not. The upload may be used up; a storage that re-runs
    // transactions must leave it readable.
    virtual void StoreContent(const std::string& address, TempFile& upload) = 0;
};

using ReadWork = std::function<void(ReadTx&)>;
using WriteWork = std::function<void(WriteTx&)>;

class Storage {
  public:
    virtual ~Storage() = default;

    // A read transaction held open until the returned object is destroyed, for answers
    // produced while they are sent.
    virtual std::unique_ptr<ReadTx> BeginRead() = 0;
    // Runs work in one transaction that sees one consistent state.
    void RunRead(const ReadWork& work) { work(*BeginRead()); }
    // Runs work in one write transaction and commits it, durably, before returning. An
    // exception from work rolls everything back, contents stored included, and passes on.
    // A storage may roll back and run work again (a concurrent writer conflicted, or a
    // content is better stored outside the transaction first), so work must do nothing
    // outside the transaction but compute its results.
    virtual void RunWrite(const WriteWork& work) = 0;

    // The stored archive of that address, or nothing when the store does not hold it whole
    // (its size differs from size). Stored archives never change, so no transaction is needed.
    virtual std::unique_ptr<ContentSource> OpenContent(const std::string& address,
                                                       std::int64_t size) = 0;
    // A temporary file that receives an upload before it is checked and stored.
    virtual TempFile NewUpload() = 0;

    // Called once by "serve" before the first request: claims what a serving process needs
    // (throws StartupError when another server has it) and clears what requests cut short
    // left behind.
    virtual void PrepareToServe() = 0;
};

// Where the storage lives.
struct StorageOptions {
    std::string dataFolder = "./brelmox-data";
    // A postgresql:// URL: the database that many servers share, in place of the folder.
    std::string databaseUrl;
};

// Creates the storage with the current schema; refuses one that exists already. Returns how
// the administrator is told what was created ("the data folder 'DIR'").
std::string CreateStorage(const StorageOptions& options);
// Opens created storage: refuses storage never created and a schema newer than this
// server knows (StorageError, changing nothing), brings an older schema up to date in one
// transaction.
std::unique_ptr<Storage> OpenStorage(const StorageOptions& options);

}  // namespace server
