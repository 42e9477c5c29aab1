// The query layer writes a statement's values as $1, $2...; SQLite reads "$1" as a named
// parameter and numbers those in the order they first appear, so "$2 ... $1" would bind
// the wrong values. Its own numbered form, ?NNN, binds by the number written.
#pragma once

#include <string>
#include <string_view>

namespace server {

// sql with each $N outside quotes written ?N; quoted literals and names stay as they are.
std::string NumberedPlaceholders(std::string_view sql);

}  // namespace server
