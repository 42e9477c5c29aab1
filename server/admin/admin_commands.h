// The administration commands that look at and change what exists: listings (one row a
// line, or with -json one JSON object a line), passwords, disabled users, check-outs,
// removed projects, and the data folder's backup.
#pragma once

#include "server/admin/invocation.h"

namespace server {

void RunOrgList(const Invocation& invocation);
void RunUserList(const Invocation& invocation);
void RunUserPasswd(const Invocation& invocation);
void RunUserDisable(const Invocation& invocation);
void RunUserEnable(const Invocation& invocation);
void RunUserRelease(const Invocation& invocation);
void RunProjectList(const Invocation& invocation);
void RunProjectRemove(const Invocation& invocation);
void RunBackup(const Invocation& invocation);
void RunRestore(const Invocation& invocation);

}  // namespace server
