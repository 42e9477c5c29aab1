#include "server/storage/temp_file.h"

#include <dirent.h>
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

}  // namespace

TempFile::TempFile(const std::string& folder) : path_(folder + "/request-XXXXXX") {
    fd_ = platform::UniqueFd(mkostemp(path_.data(), O_CLOEXEC));
    if (!fd_.valid()) {
        const std::string tried = path_;
        path_.clear();
        FailOn("Cannot create a temporary file", tried);
    }
}

TempFile::~TempFile() {
    if (!path_.empty()) unlink(path_.c_str());
}

void TempFile::Write(const char* data, std::size_t size) {
    if (!platform::WriteAll(fd_.get(), data, size)) FailOn("Cannot write", path_);
}

std::int64_t TempFile::Size() const {
    struct stat info;
    if (fstat(fd_.get(), &info) != 0) FailOn("Cannot read", path_);
    return info.st_size;
}

void TempFile::SyncAndClose() {
    if (fsync(fd_.get()) != 0 || !fd_.Close()) FailOn("Cannot flush", path_);
}

void RemoveTemporaries(const std::string& folder) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) FailOn("Cannot read folder", folder);
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") unlink((folder + "/" + name).c_str());
    }
    closedir(listing);
}

}  // namespace server
