#include "server/sqlite/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/format.h"
#include "server/sqlite/database.h"
#include "server/sqlite/schema.h"
#include "server/statuses.h"

namespace server {
namespace {

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        throw StorageError("Cannot create folder '" + path + "': " + std::strerror(errno));
    }
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool ReadOnly(const std::string& path) {
    return access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS || errno == EPERM);
}

}  // namespace

DataFolder::DataFolder(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

void DataFolder::CreateFolders() const {
    if (Exists(DatabasePath())) {
        throw StorageError("Data folder '" + root_ + "' is already initialised.");
    }
    MakeFolder(root_);
    MakeFolder(ObjectsPath());
    MakeFolder(TempPath());
}

void DataFolder::Initialise() const {
    CreateFolders();
    Database db(DatabasePath(), true);
    CreateSchema(db);
}

void DataFolder::RequireInitialised() const {
    if (!Exists(DatabasePath()) || !Exists(ObjectsPath()) || !Exists(TempPath())) {
        throw StorageError("Data folder '" + root_ +
                           "' is not initialised (run: brelmox-server init --data " + root_ + ").");
    }
    // The database would fail at its first write with words about its journal.
    for (const std::string& path : {root_, DatabasePath(), ObjectsPath(), TempPath()}) {
        if (ReadOnly(path))
            throw StorageError(brelmox::FormatMessage(text::kReadOnlyFolder, root_));
    }
    Database db(DatabasePath(), false);
    UpgradeSchema(db, root_);
}

}  // namespace server
