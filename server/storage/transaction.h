// The transaction guard of every database: begun on construction, rolled back on
// destruction unless committed. What a kind of transaction takes (locks, isolation) is each
// database's own, in the BeginTransaction, CommitTransaction and RollbackTransaction found
// beside its connection.
#pragma once

#include "server/storage/storage.h"

namespace server {

enum class TxKind {
    kRead,      // one consistent state, no changes
    kWrite,     // the changes of a request, one writer at a time
    kContents,  // contents stored outside the writers' queue
};

template <typename Connection>
class TransactionGuard {
  public:
    using Kind = TxKind;

    TransactionGuard(Connection& db, Kind kind) : db_(db) { BeginTransaction(db_, kind); }
    ~TransactionGuard() {
        if (!open_) return;
        try {
            RollbackTransaction(db_);
        } catch (const StorageError&) {
            // A lost connection or a failed statement has rolled back already; the pool
            // drops a connection left inside a transaction.
        }
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    void Commit() {
        CommitTransaction(db_);
        open_ = false;
    }

  private:
    Connection& db_;
    bool open_ = true;
};

}  // namespace server
