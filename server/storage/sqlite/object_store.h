// Archives stored as files named by the SHA-256 of their bytes (objects/ab/cdef...).
// An archive is written to a temporary file, flushed, and renamed into place only while
// the request holds the database's write lock, so that an object placed by a request
// whose transaction fails can be taken back without touching anyone else's.
#pragma once

#include <string>

#include "server/storage/temp_file.h"

namespace server {

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
    explicit ObjectStore(std::string objectsPath) : objects_(std::move(objectsPath)) {}

    std::string PathOf(const std::string& name) const;
    // Flushes a complete temporary file and moves it into place under its name, or drops
    // it when the store already holds that object. Call with the database's write lock held.
    Placement Place(TempFile& temp, const std::string& name) const;

  private:
    std::string objects_;
};

}  // namespace server
