// The IDE's questions about files' states: one status request for all files, each
// server status turned into a status word.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// Fills status[i] for each file; -1 when the query failed (the status words untouched) or
// any file's state is unknown.
SCCRTN QueryInfo(ProviderContext& context, LONG count, const LPCSTR* files, LPLONG status);
// The same, and callback is called for every file under control that is not checked out;
// 2 as soon as it returns 0.
SCCRTN QueryInfoEx(ProviderContext& context, LONG count, const LPCSTR* files, LPLONG status,
                   QUERYINFOEXFUNC callback, void* callerData);

}  // namespace brelmoxscc
