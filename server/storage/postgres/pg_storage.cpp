#include "server/storage/postgres/pg_storage.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "server/storage/postgres/pg_content_store.h"
#include "server/storage/postgres/pg_schema.h"
#include "server/storage/postgres/pg_tx.h"

namespace server::pg {
namespace {

// Each chunk is fetched on a connection leased for that one statement, so a slow client
// holds no connection between chunks.
class ChunkedContent final : public ContentSource {
  public:
    ChunkedContent(Pool& pool, const std::string& address, std::int64_t size)
        : pool_(pool), reader_(address, size) {}

    std::size_t Read(char* buffer, std::size_t capacity) override {
        if (offset_ == chunk_.size()) {
            offset_ = 0;
            chunk_.clear();
            if (!reader_.Next(*pool_.Acquire(), chunk_)) return 0;
        }
        const std::size_t count = std::min(capacity, chunk_.size() - offset_);
        std::memcpy(buffer, chunk_.data() + offset_, count);
        offset_ += count;
        return count;
    }

  private:
    Pool& pool_;
    ContentReader reader_;
    std::string chunk_;
    std::size_t offset_ = 0;
};

}  // namespace

std::unique_ptr<ReadTx> PgStorage::BeginRead() {
    return std::make_unique<LeasedReadTx<Connection, PgTx>>(pool_);
}

void PgStorage::RunWrite(const WriteWork& work) {
    // Each pass stores one more upload ahead, so the passes end.
    std::set<std::string> storedAhead;
    for (;;) {
        try {
            Pool::Lease db = pool_.Acquire();
            Transaction transaction(*db, TxKind::kWrite);
            PgTx tx(*db, &storedAhead);
            work(tx);
            transaction.Commit();
            return;
        } catch (const StoreFirst& first) {
            StoreAhead(first.address, *first.upload);
            storedAhead.insert(first.address);
        }
    }
}

void PgStorage::StoreAhead(const std::string& address, TempFile& upload) {
    Pool::Lease db = pool_.Acquire();
    CollectLooseContents(*db, kLooseContentSeconds);
    StoreLooseContent(*db, address, upload.Path());
}

std::unique_ptr<ContentSource> PgStorage::OpenContent(const std::string& address,
                                                      std::int64_t size) {
    std::int64_t stored = 0;
    if (!FindContent(*pool_.Acquire(), address, stored) || stored != size) return nullptr;
    return std::make_unique<ChunkedContent>(pool_, address, size);
}

std::string CreatePgStorage(const std::string& url) {
    Connection db(url);
    db.Execute("BEGIN");
    CreateSchema(db);
    db.Execute("COMMIT");
    return "the database '" + db.Shown() + "'";
}

std::unique_ptr<Storage> OpenPgStorage(const StorageOptions& options) {
    Connection db(options.databaseUrl);
    UpgradeSchema(db);
    return std::make_unique<PgStorage>(options.databaseUrl, options.dataFolder);
}

}  // namespace server::pg
