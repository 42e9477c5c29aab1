// The tables of a PostgreSQL database (server/storage/schema.h in PostgreSQL's words) and
// their version, kept in the one row of schema_version.
#pragma once

#include "server/storage/postgres/pg_connection.h"

namespace server::pg {

// Whether the database (its current schema, the first of the search path) holds our tables.
bool HasSchema(Connection& db);

// The tables of a new database, at the current version, inside the caller's transaction;
// refuses a database that holds them already.
void CreateSchema(Connection& db);

// Brings an older schema to the current version in one transaction; refuses a newer one
// and a database without our tables (StorageError naming the database), changing nothing.
void UpgradeSchema(Connection& db);

// Takes the writers' lock (see pg_transaction.h) inside the caller's transaction. Refuses to
// write when another server has since moved the schema to a version this one does not know.
void LockForWriting(Connection& db);

}  // namespace server::pg
