#include "server/scripts/scripts.h"

namespace server {

Reply Answer(KeywordAnswer answer) {
    Reply reply;
    reply.body = answer.Take();
    return reply;
}

Caller IdentifyCaller(ServerState& state, ReadTx& tx, const CallerFields& fields) {
    Caller caller;
    caller.identity = state.authenticator.Authenticate(tx, *fields.credentials);
    caller.projectId = RequireProject(tx, caller.identity.organizationId, *fields.project);
    return caller;
}

Caller IdentifyCaller(ServerState& state, const CallerFields& fields) {
    Caller caller;
    state.storage->RunRead([&](ReadTx& tx) { caller = IdentifyCaller(state, tx, fields); });
    return caller;
}

void RequireUploader(ServerState& state, const CallerFields& caller,
                     const Field<std::string>& description) {
    IdentifyCaller(state, caller);
    description.Check();
}

}  // namespace server
