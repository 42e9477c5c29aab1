#include "server/storage/postgres/pg_tx.h"

#include "server/storage/postgres/pg_content_store.h"

namespace server::pg {

void PgTx::StoreContent(const std::string& address, TempFile& upload) {
    if (storedAhead_ != nullptr && storedAhead_->count(address) == 0 && upload.Size() > kChunkSize)
        throw StoreFirst{address, &upload};
    ClaimContent(db_, address, upload.Path());
}

}  // namespace server::pg
