// Labels: a name on the latest version of every file of a project.
#include "server/dates.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"

namespace server {

Reply CreateLabel(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    const std::int64_t projectId =
        RequireProject(*db, identity.organizationId, form.Required("project"));
    const std::string& label = form.Required("label");
    RequireLineSafeName(label, "label");
    Transaction transaction(*db, Transaction::Kind::kWrite);
    AttachLabel(*db, projectId, label, form.Optional("description"), identity.userId, Now());
    transaction.Commit();
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
