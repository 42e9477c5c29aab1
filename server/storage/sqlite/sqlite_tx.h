// The repository's queries and changes on one SQLite connection, with the contents kept
// beside it: small ones in the database, the others as files. The caller holds the
// transaction; contents placed in it are taken back unless KeepContents() is called after
// the commit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "server/storage/query_tx.h"
#include "server/storage/sqlite/database.h"
#include "server/storage/sqlite/object_store.h"

namespace server {

// Archives up to this size are kept in the database: the commit's one flush of the log
// makes them durable, where a file of their own needs three (file, folder, log).
constexpr std::int64_t kInlineContentLimit = 64 * 1024;

// The bytes of an archive kept in the database, if it is there.
std::optional<std::string> InlineContent(Database& db, const std::string& address);

class SqliteTx : public QueryTx {
  public:
    SqliteTx(Database& db, const ObjectStore& objects) : QueryTx(db), db_(db), objects_(objects) {}

    void StoreContent(const std::string& address, TempFile& upload) override;
    void KeepContents();

  private:
    Database& db_;
    const ObjectStore& objects_;
    std::vector<Placement> placements_;
};

}  // namespace server
