#include "server/storage/postgres/pg_content_store.h"

#include <algorithm>

#include "server/sha256.h"
#include "server/storage/file_content.h"
#include "server/storage/postgres/pg_transaction.h"

namespace server::pg {
namespace {

// Fills chunk from source up to kChunkSize bytes; fewer only at the end.
void ReadChunk(ContentSource& source, std::string& chunk) {
    chunk.resize(static_cast<std::size_t>(kChunkSize));
    std::size_t filled = 0;
    while (filled < chunk.size()) {
        const std::size_t got = source.Read(chunk.data() + filled, chunk.size() - filled);
        if (got == 0) break;
        filled += got;
    }
    chunk.resize(filled);
}

}  // namespace

std::string StoreContent(Connection& db, const std::string& address, const std::string& path) {
    const std::unique_ptr<ContentSource> file = OpenFileContent(path);
    return StoreContent(db, address, *file);
}

std::string StoreContent(Connection& db, const std::string& address, ContentSource& source) {
    // The row is claimed first: a second writer of the same address waits here for the
    // first one's transaction and writes nothing when that commits.
    if (db.Query("INSERT INTO contents (address, size, chunks) VALUES ($1, 0, 0) "
                 "ON CONFLICT (address) DO NOTHING RETURNING 1",
                 address)
            .Empty()) {
        return "";
    }
    std::string chunk;
    std::int64_t size = 0;
    std::int64_t count = 0;
    Sha256 digest;
    for (ReadChunk(source, chunk); !chunk.empty(); ReadChunk(source, chunk)) {
        digest.Update(chunk.data(), chunk.size());
        db.Query("INSERT INTO content_chunks (address, chunk, data) VALUES ($1, $2, $3)", address,
                 count++, chunk);
        size += static_cast<std::int64_t>(chunk.size());
    }
    db.Query("UPDATE contents SET size = $2, chunks = $3 WHERE address = $1", address, size, count);
    return digest.HexDigest();
}

void StoreLooseContent(Connection& db, const std::string& address, const std::string& path) {
    Transaction transaction(db, Transaction::Kind::kContents);
    db.Query("UPDATE loose_contents SET stored_at = DEFAULT WHERE address = $1", address);
    if (!StoreContent(db, address, path).empty())
        db.Query("INSERT INTO loose_contents (address) VALUES ($1)", address);
    transaction.Commit();
}

void ClaimContent(Connection& db, const std::string& address, const std::string& path) {
    db.Query("DELETE FROM loose_contents WHERE address = $1", address);
    StoreContent(db, address, path);
}

void CollectLooseContents(Connection& db, std::int64_t ageSeconds) {
    Transaction transaction(db, Transaction::Kind::kContents);
    const Result gone = db.Query(
        "DELETE FROM loose_contents WHERE stored_at < clock_timestamp() - make_interval(secs => "
        "$1) RETURNING address",
        ageSeconds);
    for (int row = 0; row < gone.Rows(); ++row) {
        const std::string address = gone.Text(row, 0);
        db.Query("DELETE FROM content_chunks WHERE address = $1", address);
        db.Query("DELETE FROM contents WHERE address = $1", address);
    }
    transaction.Commit();
}

bool FindContent(Connection& db, const std::string& address, std::int64_t& size) {
    const Result row = db.Query("SELECT size FROM contents WHERE address = $1", address);
    if (row.Empty()) return false;
    size = row.Int(0, 0);
    return true;
}

bool ContentReader::Next(Connection& db, std::string& chunk) {
    if (remaining_ == 0) return false;
    const Result row = db.Query("SELECT data FROM content_chunks WHERE address = $1 AND chunk = $2",
                                address_, next_);
    const std::int64_t expected = std::min(remaining_, kChunkSize);
    if (!row.Empty()) chunk = row.Text(0, 0);
    if (row.Empty() || chunk.size() != static_cast<std::size_t>(expected)) {
        throw StorageError("Chunk " + std::to_string(next_) + " of the stored archive " + address_ +
                           " is missing or damaged.");
    }
    remaining_ -= expected;
    ++next_;
    return true;
}

}  // namespace server::pg
