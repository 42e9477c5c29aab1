// The project list: the names of the organization's projects.
#include "common/wire.h"
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply GetProjectList(ServerState& state, const UserRequest& request) {
    KeywordAnswer answer(brelmox::result::kSuccess);
    state.storage->RunRead([&](ReadTx& tx) {
        const Identity identity = state.authenticator.Authenticate(tx, *request.credentials);
        for (const std::string& name : tx.ProjectNames(identity.organizationId)) {
            answer.Field(brelmox::wire::kKeyProject, name);
        }
    });
    return Answer(std::move(answer));
}

}  // namespace server
