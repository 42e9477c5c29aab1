#include "server/storage/storage.h"

#include "server/storage/postgres/pg_storage.h"
#include "server/storage/sqlite/data_folder.h"
#include "server/storage/sqlite/sqlite_storage.h"

namespace server {

// The one place that chooses an implementation from the options.
std::string CreateStorage(const StorageOptions& options) {
    if (!options.databaseUrl.empty()) return pg::CreatePgStorage(options.databaseUrl);
    const DataFolder folder(options.dataFolder);
    folder.Initialise();
    return "the data folder '" + folder.Root() + "'";
}

std::unique_ptr<Storage> OpenStorage(const StorageOptions& options) {
    if (!options.databaseUrl.empty()) return pg::OpenPgStorage(options);
    DataFolder folder(options.dataFolder);
    folder.RequireInitialised();
    return std::make_unique<SqliteStorage>(std::move(folder));
}

}  // namespace server
