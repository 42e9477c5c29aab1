// The IDE's six file commands. Each takes the files in array order, runs one library
// operation per file and folds the per-file codes into one result.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

SCCRTN AddToRepository(ProviderContext& context, LONG count, const LPCSTR* files);
SCCRTN CheckIn(ProviderContext& context, LONG count, const LPCSTR* files, LPCSTR comment);
SCCRTN CheckOut(ProviderContext& context, LONG count, const LPCSTR* files);
SCCRTN GetLatest(ProviderContext& context, LONG count, const LPCSTR* files);
SCCRTN UndoCheckOut(ProviderContext& context, LONG count, const LPCSTR* files);
SCCRTN RemoveFromRepository(ProviderContext& context, LONG count, const LPCSTR* files);

// What the IDE is told of a fetch that failed with code: SCC_E_FILENOTCONTROLLED when the
// repository has no such file, SCC_E_CONNECTIONFAILURE otherwise.
SCCRTN GetFailure(int code);

}  // namespace brelmoxscc
