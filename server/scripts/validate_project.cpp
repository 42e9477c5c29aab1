// Validate project: the project exists in the organization; no credentials asked.
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply ValidateProject(ServerState& state, const ValidateProjectRequest& request) {
    state.storage->RunRead([&](ReadTx& tx) {
        const std::int64_t organizationId = RequireOrganization(tx, *request.organization);
        RequireProject(tx, organizationId, *request.project);
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
