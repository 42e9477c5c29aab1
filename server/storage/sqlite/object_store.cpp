#include "server/storage/sqlite/object_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/storage/storage.h"

namespace server {
namespace {

[[noreturn]] void FailOn(const std::string& what, const std::string& path) {
    throw StorageError(what + " '" + path + "': " + std::strerror(errno));
}

// A rename or a new entry is durable only once its folder is flushed too.
void SyncFolder(const std::string& path) {
    platform::UniqueFd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid() || fsync(folder.get()) != 0) FailOn("Cannot flush folder", path);
}

void MakeFolder(const std::string& parent, const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) {
        SyncFolder(parent);
    } else if (errno != EEXIST) {
        FailOn("Cannot create folder", path);
    }
}

}  // namespace

Placement::~Placement() {
    if (!createdPath_.empty()) unlink(createdPath_.c_str());
}

std::string ObjectStore::PathOf(const std::string& name) const {
    return objects_ + "/" + name.substr(0, 2) + "/" + name.substr(2);
}

Placement ObjectStore::Place(TempFile& temp, const std::string& name) const {
    const std::string path = PathOf(name);
    struct stat info;
    if (stat(path.c_str(), &info) == 0) return Placement("");
    temp.SyncAndClose();
    const std::string folder = objects_ + "/" + name.substr(0, 2);
    MakeFolder(objects_, folder);
    if (rename(temp.Path().c_str(), path.c_str()) != 0) FailOn("Cannot store", path);
    temp.Release();
    Placement placement(path);
    SyncFolder(folder);
    return placement;
}

}  // namespace server
