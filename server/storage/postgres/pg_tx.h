// The repository's queries and changes on one PostgreSQL connection (the query layer's, see
// query_tx.h), with the contents in the same database. The caller holds the transaction.
#pragma once

#include <set>
#include <string>

#include "server/storage/postgres/pg_connection.h"
#include "server/storage/query_tx.h"

namespace server::pg {

// Thrown out of a write transaction's work by StoreContent for an upload over one chunk that
// was not stored ahead: the storage rolls back, stores it outside the writers' lock, and runs
// the work again. Derived from nothing, so that no handler of errors takes it for one.
struct StoreFirst {
    std::string address;
    TempFile* upload;
};

class PgTx : public QueryTx {
  public:
    // storedAhead: the addresses stored outside this transaction for its work, or null where
    // nothing is stored ahead (a read transaction).
    explicit PgTx(Connection& db, const std::set<std::string>* storedAhead = nullptr)
        : QueryTx(db), db_(db), storedAhead_(storedAhead) {}

    // Claims what was stored ahead, or streams the upload in from its first byte; the file
    // stays as it was.
    void StoreContent(const std::string& address, TempFile& upload) override;

  private:
    Connection& db_;
    const std::set<std::string>* storedAhead_;
};

}  // namespace server::pg
