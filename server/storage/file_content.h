// A stored or uploaded archive read from a file, for the storages that keep archives as files
// and for copying a file's bytes into a storage that keeps them elsewhere.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "server/storage/storage.h"

namespace server {

class FileContent final : public ContentSource {
  public:
    explicit FileContent(platform::UniqueFd fd) : fd_(std::move(fd)) {}
    std::size_t Read(char* buffer, std::size_t capacity) override;

  private:
    platform::UniqueFd fd_;
};

// The file's bytes from its start; throws StorageError when it cannot be opened.
std::unique_ptr<ContentSource> OpenFileContent(const std::string& path);

}  // namespace server
