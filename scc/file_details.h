// A file's version history, with a way to fetch any version, and its current properties.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// The history of the first file; a failure result, after a message, when there is no file
// or it lies outside the project folder. Otherwise SCC_OK, whatever the server answered.
SCCRTN ShowHistory(ProviderContext& context, LONG count, const LPCSTR* files);
SCCRTN ShowProperties(ProviderContext& context, LPCSTR file);

}  // namespace brelmoxscc
