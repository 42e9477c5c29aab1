// The embedded storage: SQLite in the data folder and the archives beside it, for one
// serving process at a time (serve.lock).
#pragma once

#include "platform/file_system.h"
#include "server/storage/sqlite/data_folder.h"
#include "server/storage/sqlite/database.h"
#include "server/storage/sqlite/object_store.h"
#include "server/storage/storage.h"

namespace server {

class SqliteStorage final : public Storage {
  public:
    // The folder must be initialised and its schema current (DataFolder::RequireInitialised).
    explicit SqliteStorage(DataFolder folder);

    std::unique_ptr<ReadTx> BeginRead() override;
    // SQLite has one writer at a time (BEGIN IMMEDIATE), so work runs exactly once; one
    // server writes the folder, so its transaction is the only one an upload holds up.
    void RunWrite(const WriteWork& work) override;
    std::unique_ptr<ContentSource> OpenContent(const std::string& address,
                                               std::int64_t size) override;
    TempFile NewUpload() override { return TempFile(folder_.TempPath()); }
    void PrepareToServe() override;

  private:
    DataFolder folder_;
    ConnectionPool pool_;
    ObjectStore objects_;
    platform::UniqueFd serveLock_;
};

}  // namespace server
