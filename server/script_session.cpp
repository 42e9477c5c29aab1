// Validate user, validate project, create project and the project list.
#include "common/wire.h"
#include "server/refusal.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"

namespace server {

Reply ValidateUser(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    // The user is accepted all the same; the client shows the notice and goes on.
    if (!identity.notice.empty()) throw Refusal(brelmox::status::kUserNotice, identity.notice);
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply ValidateProject(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const std::int64_t organizationId = RequireOrganization(*db, form.Required("organization"));
    RequireProject(*db, organizationId, form.Required("project"));
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply CreateProject(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    const std::string& name = form.Required("project_name");
    RequireLineSafeName(name, "project_name");
    Transaction transaction(*db, Transaction::Kind::kWrite);
    if (FindProject(*db, identity.organizationId, name)) {
        throw Refusal::Of(own_status::kProjectExists, text::kProjectExists, name);
    }
    InsertProject(*db, identity.organizationId, name, form.Optional("project_description"));
    transaction.Commit();
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

Reply GetProjectList(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    KeywordAnswer answer(brelmox::result::kSuccess);
    for (const std::string& name : ProjectNames(*db, identity.organizationId)) {
        answer.Field(brelmox::wire::kKeyProject, name);
    }
    return Answer(std::move(answer));
}

}  // namespace server
