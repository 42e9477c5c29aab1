#include "server/storage/serving_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/format.h"
#include "server/statuses.h"
#include "server/storage/storage.h"
#include "server/storage/temp_file.h"

namespace server {
namespace {

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        throw StartupError("Cannot create folder '" + path + "': " + std::strerror(errno));
    }
}

}  // namespace

platform::UniqueFd ClaimServingFolder(const std::string& root) {
    MakeFolder(root);
    RequireWritable(root, {root});
    MakeFolder(root + "/tmp");
    RequireWritable(root, {root + "/tmp"});
    const std::string path = root + "/serve.lock";
    platform::UniqueFd lock(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid() || flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        throw StartupError("Another brelmox-server is serving the data folder '" + root + "'.");
    }
    RemoveTemporaries(root + "/tmp");
    return lock;
}

void RequireWritable(const std::string& root, std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
        if (access(path.c_str(), W_OK) == 0 ||
            (errno != EACCES && errno != EROFS && errno != EPERM))
            continue;
        std::string shown = root;
        while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
        throw StorageError(brelmox::FormatMessage(text::kReadOnlyFolder, shown));
    }
}

}  // namespace server
