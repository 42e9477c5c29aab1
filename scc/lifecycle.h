// Starting and ending a provider session: the login that makes a context, and the
// facts the IDE asks for at start-up.
#pragma once

#include "scc/provider_ui.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

constexpr LONG kInterfaceVersion = 0x00010003;
// SCC_CAP_REMOVE is left out although removing is served; renaming and running the
// provider's own program are announced although they do nothing. IDEs rely on the mask.
constexpr LONG kCapabilities = SCC_CAP_RENAME | SCC_CAP_DIFF | SCC_CAP_HISTORY |
                               SCC_CAP_PROPERTIES | SCC_CAP_RUNSCC | SCC_CAP_GETCOMMANDOPTIONS |
                               SCC_CAP_QUERYINFO | SCC_CAP_GETPROJPATH | SCC_CAP_COMMENTCHECKOUT |
                               SCC_CAP_COMMENTCHECKIN | SCC_CAP_TEXTOUT | SCC_CAP_REENTRANT;

// Logs the user in through the login dialog until the server accepts them. On success
// *ppContext holds the new context; on failure it holds null.
SCCRTN Initialize(ProviderUi& ui, void** ppContext, LPCSTR callerName, LPSTR sccName,
                  LPLONG sccCaps, LPSTR auxPathLabel, LPLONG checkoutCommentLen, LPLONG commentLen);

// Destroys the context (null is allowed).
SCCRTN Uninitialize(void* context);

}  // namespace brelmoxscc
