// Archives stored as files named by the SHA-256 of their bytes (objects/ab/cdef...).
// An archive is written to a temporary file, flushed, and renamed into place only while
// the request holds the database's write lock, so that an object placed by a request
// whose transaction fails can be taken back without touching anyone else's.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "server/data_folder.h"

namespace server {

// A file under tmp/ that disappears with its owner unless it was moved into the store.
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
    // Flushes to the disk and closes: the file is complete.
    void SyncAndClose();
    // The file was renamed away; nothing is left to remove.
    void Release() { path_.clear(); }

  private:
    std::string path_;
    platform::UniqueFd fd_;
};

// The undo of one placement: removes a newly placed object unless it was kept.
class Placement {
  public:
    explicit Placement(std::string createdPath) : createdPath_(std::move(createdPath)) {}
    ~Placement();
    Placement(Placement&& other) noexcept : createdPath_(std::move(other.createdPath_)) {
        other.createdPath_.clear();
    }
    Placement(const Placement&) = delete;
    Placement& operator=(const Placement&) = delete;
    Placement& operator=(Placement&&) = delete;

    void Keep() { createdPath_.clear(); }

  private:
    std::string createdPath_;
};

class ObjectStore {
  public:
    explicit ObjectStore(const DataFolder& folder)
        : objects_(folder.ObjectsPath()), temp_(folder.TempPath()) {}

    std::string PathOf(const std::string& name) const;
    TempFile CreateTemp() const { return TempFile(temp_); }
    // Moves a complete temporary file into place under its name, or drops it when the
    // store already holds that object. Call with the database's write lock held.
    Placement Place(TempFile& temp, const std::string& name) const;
    // Removes what requests cut short (a crash, a kill) left under tmp/.
    void RemoveTemporaries() const;

  private:
    std::string objects_;
    std::string temp_;
};

}  // namespace server
