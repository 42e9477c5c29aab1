// Whether a stopping scripted server has shut a connection down (Winsock only).
#pragma once

#include "test_support/loopback_socket.h"

namespace testsupport {

bool IsShutDown(SocketId socket);

}  // namespace testsupport
