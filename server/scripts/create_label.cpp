// Labels: a name on the latest version of every file of a project.
#include "server/dates.h"
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply CreateLabel(ServerState& state, Form& form) {
    const Caller caller = IdentifyCaller(state, form);
    const std::string& label = form.Required("label");
    RequireLineSafeName(label, "label", text::kLabelNeedsName);
    const std::string description = BoundedDescription(form, "description");
    state.storage->RunWrite([&](WriteTx& tx) {
        tx.AttachLabel(caller.projectId, label, description, caller.identity.userId, Now());
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
