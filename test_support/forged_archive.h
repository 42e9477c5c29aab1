// Archives that lie about themselves, as a hostile peer would send them.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// A zip bomb: a one-entry archive whose local header and central directory both declare
// declaredSize bytes of content, whatever its data unpacks to.
std::string DeclaringSize(std::string archive, std::uint32_t declaredSize);

}  // namespace testsupport
