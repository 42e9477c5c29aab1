#include "server/storage.h"

#include "server/sqlite/data_folder.h"
#include "server/sqlite/sqlite_storage.h"

namespace server {

// The one place that chooses an implementation from the options.
std::string CreateStorage(const StorageOptions& options) {
    const DataFolder folder(options.dataFolder);
    folder.Initialise();
    return "the data folder '" + folder.Root() + "'";
}

std::unique_ptr<Storage> OpenStorage(const StorageOptions& options) {
    DataFolder folder(options.dataFolder);
    folder.RequireInitialised();
    return std::make_unique<SqliteStorage>(std::move(folder));
}

}  // namespace server
