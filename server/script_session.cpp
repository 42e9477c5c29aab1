// Validate user, validate project, create project and the project list.
#include "common/wire.h"
#include "server/refusal.h"
#include "server/scripts.h"
#include "server/statuses.h"

namespace server {

Reply ValidateUser(ServerState& state, Form& form) {
    Identity identity;
    state.storage->RunRead(
        [&](ReadTx& tx) { identity = state.authenticator.Authenticate(tx, form); });
    // The user is accepted all the same; the client shows the notice and goes on.
    if (!identity.notice.empty()) throw Refusal(brelmox::status::kUserNotice, identity.notice);
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply ValidateProject(ServerState& state, Form& form) {
    state.storage->RunRead([&](ReadTx& tx) {
        const std::int64_t organizationId = RequireOrganization(tx, form.Required("organization"));
        RequireProject(tx, organizationId, form.Required("project"));
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply CreateProject(ServerState& state, Form& form) {
    Identity identity;
    state.storage->RunRead(
        [&](ReadTx& tx) { identity = state.authenticator.Authenticate(tx, form); });
    const std::string& name = form.Required("project_name");
    RequireLineSafeName(name, "project_name", text::kProjectNeedsName);
    const std::string description = BoundedDescription(form, "project_description");
    state.storage->RunWrite([&](WriteTx& tx) {
        if (tx.FindProject(identity.organizationId, name)) {
            throw Refusal::Of(own_status::kProjectExists, text::kProjectExists, name);
        }
        tx.InsertProject(identity.organizationId, name, description);
    });
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply GetProjectList(ServerState& state, Form& form) {
    KeywordAnswer answer(brelmox::result::kSuccess);
    state.storage->RunRead([&](ReadTx& tx) {
        const Identity identity = state.authenticator.Authenticate(tx, form);
        for (const std::string& name : tx.ProjectNames(identity.organizationId)) {
            answer.Field(brelmox::wire::kKeyProject, name);
        }
    });
    return Answer(std::move(answer));
}

}  // namespace server
