// Result codes of the provider by their names in the interface.
#pragma once

#include <string>

#include "scc/scc_api.h"

namespace scchost {

// "SCC_OK (0)", "SCC_E_CONNECTIONFAILURE (-29)"; a code without a name shows its value.
std::string DescribeResult(SCCRTN result);

}  // namespace scchost
