// Transactions and the connection pool of the PostgreSQL storage.
//
// Writers take one row lock, on the schema's version row, before they read anything: the
// scripts check and then change (a check-out, a new version), and with every writer queued
// on that lock they run one after another across all servers, as they do on the data
// folder's database under its write lock. That needs no retry loop and never fails a request
// for a conflict; readers take no lock and see one consistent snapshot. Contents are stored
// without that lock (pg_content_store.h): an address names the same bytes whoever stores
// them, so no check depends on who stored them first.
#pragma once

#include "server/storage/pool.h"
#include "server/storage/postgres/pg_connection.h"
#include "server/storage/transaction.h"

namespace server::pg {

void BeginTransaction(Connection& db, TxKind kind);
// PostgreSQL answers COMMIT of a failed transaction with success, having rolled it back:
// this throws instead.
void CommitTransaction(Connection& db);
void RollbackTransaction(Connection& db);
using Transaction = TransactionGuard<Connection>;

// A connection the database closed meanwhile is opened again before it is leased; one that
// broke or was left inside a transaction is dropped.
using Pool = IdlePool<Connection>;

}  // namespace server::pg
