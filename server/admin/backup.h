// A data folder's backup: one zip archive holding "brelmox.db", a consistent snapshot of the
// database taken while a server may be writing it, and under "objects/" every stored archive
// a version of that snapshot names. Unzipped by hand it is a data folder (add an empty tmp/).
#pragma once

#include <cstdint>
#include <string>

#include "server/storage/sqlite/data_folder.h"

namespace server {

// Writes the backup to file (a partial file first, renamed into place once complete);
// returns how many stored archives it holds besides the database.
std::int64_t BackUpDataFolder(const DataFolder& folder, const std::string& file);

// Makes folder, which must not be initialised, the data folder the backup file holds: every
// archive checked against its name, the database put in place last. Returns how many stored
// archives were restored.
std::int64_t RestoreDataFolder(const std::string& file, const DataFolder& folder);

}  // namespace server
