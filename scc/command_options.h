// The provider's one user option: the command line of the file comparison program.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// Only the options command has options: asked with no options pointer it answers that they
// exist; asked with one it shows the options dialog and stores what OK confirms.
SCCRTN GetCommandOptions(ProviderContext& context, SCCCOMMAND command, LPCMDOPTS* options);

}  // namespace brelmoxscc
