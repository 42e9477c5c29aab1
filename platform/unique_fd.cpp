// The owner of a descriptor, the same on every platform.
#include <utility>

#include "platform/file_system.h"

namespace platform {

UniqueFd::~UniqueFd() {
    if (valid()) CloseDescriptor(fd_);
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (valid()) CloseDescriptor(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool UniqueFd::Close() {
    return CloseDescriptor(std::exchange(fd_, -1)) == 0;
}

}  // namespace platform
