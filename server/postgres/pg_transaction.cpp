#include "server/postgres/pg_transaction.h"

#include "server/postgres/pg_schema.h"

namespace server::pg {
namespace {

constexpr std::size_t kIdleConnectionsKept = 64;

}  // namespace

Transaction::Transaction(Connection& db, Kind kind) : db_(db) {
    if (kind == Kind::kRead) {
        db_.Begin("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        return;
    }
    // Read committed: every statement after the lock sees what the writers before committed.
    db_.Begin("BEGIN ISOLATION LEVEL READ COMMITTED");
    if (kind == Kind::kContents) return;
    try {
        LockForWriting(db_);
    } catch (...) {
        db_.Execute("ROLLBACK");
        throw;
    }
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        db_.Execute("ROLLBACK");
    } catch (const StorageError&) {
        // A lost connection rolls back on the server; the pool drops this one.
    }
}

void Transaction::Commit() {
    // PostgreSQL answers COMMIT of a failed transaction with success, having rolled it back.
    if (db_.TransactionFailed()) throw Error("The transaction failed and was rolled back", "");
    db_.Execute("COMMIT");
    open_ = false;
}

Pool::Lease Pool::Acquire() {
    std::unique_ptr<Connection> db;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (idle_.empty()) return Lease(*this, std::make_unique<Connection>(url_));
        db = std::move(idle_.back());
        idle_.pop_back();
    }
    // After a restart of the database every kept connection is closed; the first statement
    // on it would fail the request.
    if (db->ClosedWhileIdle()) db->Reopen();
    return Lease(*this, std::move(db));
}

void Pool::Return(std::unique_ptr<Connection> db) {
    if (!db->Idle()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.size() < kIdleConnectionsKept) idle_.push_back(std::move(db));
}

}  // namespace server::pg
