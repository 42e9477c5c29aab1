// The repository's queries and changes, written once over the statement interface (sql.h)
// for every database. The caller holds the transaction; where the contents go is each
// storage's own (StoreContent).
#pragma once

#include "server/storage/sql.h"
#include "server/storage/storage.h"

namespace server {

class QueryTx : public WriteTx {
  public:
    explicit QueryTx(sql::Session& sql) : sql_(sql) {}

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

  protected:
    sql::Session& sql_;
};

}  // namespace server
