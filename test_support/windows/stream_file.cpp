#include "test_support/spawn.h"

namespace testsupport {

platform::UniqueFd NewStreamFile() {
    return platform::CreateNamelessTempFile("");
}

}  // namespace testsupport
