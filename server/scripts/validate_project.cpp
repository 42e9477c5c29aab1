// Validate project: the project exists in the organization; no credentials asked.
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply ValidateProject(ServerState& state, Form& form) {
    state.storage->RunRead([&](ReadTx& tx) {
        const std::int64_t organizationId = RequireOrganization(tx, form.Required("organization"));
        RequireProject(tx, organizationId, form.Required("project"));
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
