#include <sys/mman.h>

#include "test_support/spawn.h"

namespace testsupport {

platform::UniqueFd NewStreamFile() {
    return platform::UniqueFd(memfd_create("brelmox-test-stream", MFD_CLOEXEC));
}

}  // namespace testsupport
