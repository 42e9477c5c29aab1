// The tables of a data folder (server/storage/schema.h in SQLite's words) and their version,
// kept in SQLite's user_version. Every opening of a folder reads it, so that a server never
// writes into data it does not know.
#pragma once

#include <string>

#include "server/storage/sqlite/database.h"

namespace server {

// The tables of a new folder, at the current version.
void CreateSchema(Database& db);

// Brings an older schema to the current version in one transaction; refuses a newer one
// (StorageError naming the folder), changing nothing.
void UpgradeSchema(Database& db, const std::string& folder);

}  // namespace server
