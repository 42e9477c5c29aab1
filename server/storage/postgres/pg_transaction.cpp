#include "server/storage/postgres/pg_transaction.h"

#include "server/storage/postgres/pg_schema.h"

namespace server::pg {

void BeginTransaction(Connection& db, TxKind kind) {
    if (kind == TxKind::kRead) {
        db.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        return;
    }
    // Read committed: every statement after the lock sees what the writers before committed.
    db.Begin("BEGIN ISOLATION LEVEL READ COMMITTED");
    if (kind == TxKind::kContents) return;
    try {
        LockForWriting(db);
    } catch (...) {
        db.Execute("ROLLBACK");
        throw;
    }
}

void CommitTransaction(Connection& db) {
    if (db.TransactionFailed()) throw Error("The transaction failed and was rolled back", "");
    db.Execute("COMMIT");
}

void RollbackTransaction(Connection& db) {
    db.Execute("ROLLBACK");
}

}  // namespace server::pg
