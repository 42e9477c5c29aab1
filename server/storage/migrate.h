// Moving a data folder into PostgreSQL, so that several servers can share what one served.
// It runs above both storages: every table is copied through the statement interface with
// the columns the data folder's own schema names.
#pragma once

#include <string>

namespace server {

// Copies the initialised data folder at folderPath into the empty database at url in one
// transaction, every row with its id and every stored archive in chunks, each archive's
// SHA-256 checked against its name and its size against its versions. Any failure (a
// database not empty, a missing or damaged archive) leaves the database empty. Returns what
// was copied, for the administrator.
std::string MigrateDataFolder(const std::string& folderPath, const std::string& url);

}  // namespace server
