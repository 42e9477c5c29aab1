// Create project: a new, empty project in the user's organization.
#include "server/refusal.h"
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply CreateProject(ServerState& state, const CreateProjectRequest& request) {
    Identity identity;
    state.storage->RunRead(
        [&](ReadTx& tx) { identity = state.authenticator.Authenticate(tx, *request.credentials); });
    const std::string& name = *request.name;
    const std::string& description = *request.description;
    state.storage->RunWrite([&](WriteTx& tx) {
        if (tx.FindProject(identity.organizationId, name)) {
            throw Refusal::Of(own_status::kProjectExists, text::kProjectExists, name);
        }
        tx.InsertProject(identity.organizationId, name, description);
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
