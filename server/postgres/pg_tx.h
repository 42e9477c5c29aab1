// The repository's queries and changes on one PostgreSQL connection, for reading and for
// writing; the caller holds the transaction. The queries are the data folder's (see
// server/sqlite/tx_*.cpp), with bytea for texts.
#pragma once

#include "server/postgres/pg_connection.h"
#include "server/storage.h"

namespace server::pg {

class PgTx : public WriteTx {
  public:
    explicit PgTx(Connection& db) : db_(db) {}

    std::optional<std::int64_t> FindOrganization(const std::string& name) override;
    std::optional<User> FindUser(std::int64_t organizationId, const std::string& name) override;
    std::optional<std::int64_t> FindProject(std::int64_t organizationId,
                                            const std::string& name) override;
    std::vector<std::string> ProjectNames(std::int64_t organizationId) override;
    std::vector<std::string> OrganizationNames() override;
    std::vector<UserSummary> UsersOf(std::int64_t organizationId) override;
    std::optional<FileState> FindFile(std::int64_t projectId, const std::string& folder,
                                      const std::string& name) override;
    std::unique_ptr<FileCursor> LiveFilesUnder(std::int64_t projectId, const std::string& folder,
                                               bool recurse) override;
    bool ClashesWithFileOrFolder(std::int64_t projectId, const std::string& folder,
                                 const std::string& name) override;
    std::optional<Version> FindVersion(std::int64_t fileId, std::int64_t number) override;
    std::optional<Version> FindLabelledVersion(std::int64_t fileId,
                                               const std::string& label) override;
    std::vector<Version> VersionsOf(std::int64_t fileId) override;
    std::string LabelsOn(std::int64_t versionId) override;

    void InsertOrganization(const std::string& name) override;
    void InsertUser(std::int64_t organizationId, const std::string& name,
                    const std::string& passwordHash) override;
    void SetNotice(std::int64_t userId, const std::string& notice) override;
    void SetPasswordHash(std::int64_t userId, const std::string& passwordHash) override;
    void SetDisabled(std::int64_t userId, bool disabled) override;
    std::int64_t ReleaseCheckoutsOf(std::int64_t userId) override;
    void RemoveProject(std::int64_t projectId) override;
    void InsertProject(std::int64_t organizationId, const std::string& name,
                       const std::string& description) override;
    std::int64_t InsertFile(std::int64_t projectId, const std::string& folder,
                            const std::string& name) override;
    void MarkRemoved(std::int64_t fileId, std::int64_t userId, std::int64_t when) override;
    void Revive(std::int64_t fileId) override;
    void SetCheckout(std::int64_t fileId, std::int64_t userId, std::int64_t when) override;
    void ClearCheckout(std::int64_t fileId) override;
    void InsertVersion(std::int64_t fileId, std::int64_t number, const NewVersion& version,
                       std::int64_t when) override;
    void AttachLabel(std::int64_t projectId, const std::string& name,
                     const std::string& description, std::int64_t userId,
                     std::int64_t when) override;
    // Claims what was stored ahead, or streams the upload in from its first byte; the file
    // stays as it was.
    void StoreContent(const std::string& address, TempFile& upload) override;

  private:
    Connection& db_;
    int cursors_ = 0;  // names the transaction's cursors apart
};

}  // namespace server::pg
