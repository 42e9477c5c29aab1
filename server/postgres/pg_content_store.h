// Archives in the database, so that servers share no disk: each is stored once under its
// address (the SHA-256 of its bytes) as rows of at most kChunkSize bytes, written and read
// one chunk at a time, so memory stays flat whatever the archive's size.
#pragma once

#include <cstdint>
#include <string>

#include "server/postgres/pg_connection.h"
#include "server/storage.h"

namespace server::pg {

inline constexpr std::int64_t kChunkSize = std::int64_t{1} << 20;

// Stores the source's bytes under address inside the caller's transaction, so they are
// durable with its commit and gone with its rollback. An address stored already is not
// written again; one being stored by another transaction is waited for. Returns the SHA-256
// (hex) of the bytes written, "" when none were.
std::string StoreContent(Connection& db, const std::string& address, ContentSource& source);
// The same for a file's bytes.
std::string StoreContent(Connection& db, const std::string& address, const std::string& path);

// Whether the address is stored, and then its size.
bool FindContent(Connection& db, const std::string& address, std::int64_t& size);

// One stored archive, read from its start chunk by chunk; each chunk is one statement, so
// the reader holds no transaction while the answer goes out.
class ContentReader {
  public:
    ContentReader(std::string address, std::int64_t size)
        : address_(std::move(address)), remaining_(size) {}

    // Replaces chunk with the next bytes; false once every byte was read. Throws
    // StorageError when a chunk is missing or of the wrong size.
    bool Next(Connection& db, std::string& chunk);

  private:
    std::string address_;
    std::int64_t remaining_;
    std::int64_t next_ = 0;
};

}  // namespace server::pg
