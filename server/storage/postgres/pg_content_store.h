// Archives in the database, so that servers share no disk: each is stored once under its
// address (the SHA-256 of its bytes) as rows of at most kChunkSize bytes, written and read
// one chunk at a time, so memory stays flat whatever the archive's size.
#pragma once

#include <cstdint>
#include <string>

#include "server/storage/postgres/pg_connection.h"
#include "server/storage/storage.h"

namespace server::pg {

inline constexpr std::int64_t kChunkSize = std::int64_t{1} << 20;

// Stores the source's bytes under address inside the caller's transaction, so they are
// durable with its commit and gone with its rollback. An address stored already is not
// written again; one being stored by another transaction is waited for. Returns the SHA-256
// (hex) of the bytes written, "" when none were.
std::string StoreContent(Connection& db, const std::string& address, ContentSource& source);
// The same for a file's bytes.
std::string StoreContent(Connection& db, const std::string& address, const std::string& path);

// How long a content stored ahead may stay loose before it is collected: far longer than a
// request waits for the writers' lock between storing its upload and referring to it.
inline constexpr std::int64_t kLooseContentSeconds = 3600;

// Stores the file's bytes under address in a transaction of their own, outside the writers'
// lock, marked loose until a write transaction claims them (ClaimContent). Their row and
// chunks commit together, so no one sees a part of them and a server killed mid-way leaves
// nothing. An address stored already is marked loose afresh instead, so that no collection
// takes it from the request about to claim it.
void StoreLooseContent(Connection& db, const std::string& address, const std::string& path);

// Inside a write transaction, before a version refers to address: ends its loose mark, then
// stores the file's bytes if the address is not stored (never stored ahead, or collected
// meanwhile). In that order, a collection either lost the mark first or is waited for.
void ClaimContent(Connection& db, const std::string& address, const std::string& path);

// Removes, in a transaction of its own, the contents loose for more than ageSeconds: what
// requests refused or cut short after storing ahead left behind.
void CollectLooseContents(Connection& db, std::int64_t ageSeconds);

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
