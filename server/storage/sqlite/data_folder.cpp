#include "server/storage/sqlite/data_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "server/storage/serving_folder.h"
#include "server/storage/sqlite/database.h"
#include "server/storage/sqlite/schema.h"

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
    RequireWritable(root_, {root_, DatabasePath(), ObjectsPath(), TempPath()});
    Database db(DatabasePath(), false);
    UpgradeSchema(db, root_);
}

}  // namespace server
