// Binding the IDE's project to a repository project, chosen from the organization's list
// or created, and recording the local folder that view paths are made from.
#pragma once

#include "scc/provider_context.h"
#include "scc/scc_api.h"

namespace brelmoxscc {

// lpProjName is the IDE's buffer of 301 bytes: read, and written when a project is bound.
SCCRTN OpenProject(ProviderContext& context, LPSTR projName, LPCSTR localProjPath, LPCSTR comment,
                   LPTEXTOUTPROC textOut, LONG flags);
SCCRTN GetProjPath(ProviderContext& context, LPSTR projName, LPCSTR localPath);
// The select-project dialog, then validation or creation: 0, 2 (cancelled) or -3.
SCCRTN SelectOrCreateProject(ProviderContext& context, LPSTR projName);

}  // namespace brelmoxscc
