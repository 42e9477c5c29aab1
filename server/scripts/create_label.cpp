// Labels: a name on the latest version of every file of a project.
#include "server/scripts/dates.h"
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply CreateLabel(ServerState& state, const CreateLabelRequest& request) {
    const Caller caller = IdentifyCaller(state, request.caller);
    const std::string& label = *request.label;
    const std::string& description = *request.description;
    state.storage->RunWrite([&](WriteTx& tx) {
        tx.AttachLabel(caller.projectId, label, description, caller.identity.userId, Now());
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
