// "brelmox-server serve": serves until SIGTERM or SIGINT.
#pragma once

#include "server/repository_server.h"

namespace server {

// Prints "listening on HOST:PORT" once connections are accepted, then serves until a
// stop signal; throws StartupError or StorageError when it cannot start.
void Serve(const ServeOptions& options);

}  // namespace server
