// What a request's address looks like whatever library carries it.
#pragma once

#include <string>

namespace platform {

// The object name as a request target: bytes outside the unreserved set and '/' are
// percent-encoded, so that an odd virtual directory still makes a valid request line.
std::string EncodeRequestTarget(const std::string& objectName);

}  // namespace platform
