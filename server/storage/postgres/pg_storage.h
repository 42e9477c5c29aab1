// The storage that many servers share: the repository's tables and the archives in one
// PostgreSQL database. Each serving process keeps only its uploads in progress locally, in
// the tmp/ of its own data folder (see serving_folder.h).
#pragma once

#include <string>

#include "server/storage/postgres/pg_transaction.h"
#include "server/storage/serving_folder.h"
#include "server/storage/storage.h"

namespace server::pg {

class PgStorage final : public Storage {
  public:
    // The database's schema must be current (UpgradeSchema).
    PgStorage(const std::string& url, std::string localFolder)
        : pool_(url), localFolder_(std::move(localFolder)) {}

    std::unique_ptr<ReadTx> BeginRead() override;
    // Writers queue on one lock (pg_transaction.h), so no writer ever conflicts with
    // another. An upload over one chunk that work stores is stored outside that lock, so
    // that the writers of every server do not wait while it is written: work runs until it
    // stores it (its checks passed), is rolled back, and runs again once the upload is stored.
    // One chunk goes in with its version as one row: a transaction of its own would add a
    // second durable commit to every small add.
    void RunWrite(const WriteWork& work) override;
    std::unique_ptr<ContentSource> OpenContent(const std::string& address,
                                               std::int64_t size) override;
    TempFile NewUpload() override { return TempFile(localFolder_ + "/tmp"); }
    // The database is shared; only the local folder is this server's alone.
    void PrepareToServe() override { serveLock_ = ClaimServingFolder(localFolder_); }

  private:
    // Stores the upload in a transaction of its own; first collects the loose contents gone
    // stale, which only such uploads leave.
    void StoreAhead(const std::string& address, TempFile& upload);

    Pool pool_;
    std::string localFolder_;
    platform::UniqueFd serveLock_;
};

// Creates the schema in an empty database; returns how the administrator is told.
std::string CreatePgStorage(const std::string& url);
std::unique_ptr<Storage> OpenPgStorage(const StorageOptions& options);

}  // namespace server::pg
