// A loopback TCP connection that sends bytes exactly as given, for requests no HTTP client
// would send: pipelined, cut short, trickled.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace servertest {

class RawConnection {
  public:
    // Fails the test when 127.0.0.1:port does not accept. The connection comes from the
    // loopback address given (any of 127.0.0.0/8), as from another machine.
    explicit RawConnection(int port, const char* from = "127.0.0.1");

    bool Send(const std::string& bytes);
    // Everything the server sends until it closes the connection or stays silent for
    // silenceMs.
    std::string ReadUntilQuiet(int silenceMs);
    // Whether the server closes the connection within ms, whatever it sends before.
    bool ClosedWithin(int ms);

  private:
    platform::UniqueFd socket_;
};

}  // namespace servertest
