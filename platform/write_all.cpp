// Writing a whole buffer through a descriptor, on any platform's short writes.
#include <cerrno>

#include "platform/file_system.h"

namespace platform {

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const long long written = WriteSome(fd, next, size);
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace platform
