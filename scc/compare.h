// Comparing a working file with its latest version in the repository: quietly, by
// content, or by starting the user's comparison program on the two.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// A quick compare (any SCC_DIFF_QUICK_DIFF flag) answers SCC_OK or SCC_I_FILEDIFFERS; the
// interactive one starts the program and answers SCC_OK. A file outside the project folder
// gets SCC_E_FILENOTCONTROLLED after a message.
SCCRTN Compare(ProviderContext& context, LPCSTR file, LONG flags);

}  // namespace brelmoxscc
