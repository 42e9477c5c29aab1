#include "server/storage/file_content.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace server {

std::size_t FileContent::Read(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = read(fd_.get(), buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw StorageError(std::string("Cannot read a stored archive: ") +
                               std::strerror(errno));
    }
}

std::unique_ptr<ContentSource> OpenFileContent(const std::string& path) {
    platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) throw StorageError("Cannot open '" + path + "': " + std::strerror(errno));
    return std::make_unique<FileContent>(std::move(fd));
}

}  // namespace server
