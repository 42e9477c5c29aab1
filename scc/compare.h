// Comparing a working file with its latest version in the repository: quietly, by
// content, or by starting the user's comparison program on the two.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// A quick compare (any SCC_DIFF_QUICK_DIFF flag) answers SCC_OK or SCC_I_FILEDIFFERS; the
// interactive one starts the program on a private copy, removed once the program has ended,
// and answers SCC_OK, or SCC_E_NONSPECIFICERROR after a message when it cannot start. A
// fetch that fails answers as a failed get (SCC_E_FILENOTCONTROLLED when the repository
// has no such file, SCC_E_CONNECTIONFAILURE otherwise). A file outside the project folder
// gets SCC_E_FILENOTCONTROLLED after a message.
SCCRTN Compare(ProviderContext& context, LPCSTR file, LONG flags);

}  // namespace brelmoxscc
