// What a request's address looks like whatever library carries it.
#pragma once

#include <string>

namespace platform {

// The object name as a request target: bytes outside the unreserved set and '/' are
// percent-encoded, so that an odd virtual directory still makes a valid request line.
std::string EncodeRequestTarget(const std::string& objectName);

// True when a server address begins with "http://" or "https://" in any case: the stored
// address is the host (and port) alone, the scheme coming from the secure flag.
bool HasWebScheme(const std::string& address);

}  // namespace platform
