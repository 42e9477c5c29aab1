// A file under a temporary folder that disappears with its owner unless it was moved away:
// where an upload waits while it is received and checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace server {

class TempFile {
  public:
    explicit TempFile(const std::string& folder);
    ~TempFile();
    TempFile(TempFile&& other) noexcept : path_(std::move(other.path_)), fd_(std::move(other.fd_)) {
        other.path_.clear();
    }
    TempFile& operator=(TempFile&&) = delete;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }
    int Fd() const { return fd_.get(); }
    void Write(const char* data, std::size_t size);
    // The bytes written so far; the file must still be open.
    std::int64_t Size() const;
    // Flushes to the disk and closes: the file is complete.
    void SyncAndClose();
    // The file was renamed away; nothing is left to remove.
    void Release() { path_.clear(); }

  private:
    std::string path_;
    platform::UniqueFd fd_;
};

// Removes every file in the folder: what requests cut short (a crash, a kill) left there.
void RemoveTemporaries(const std::string& folder);

}  // namespace server
