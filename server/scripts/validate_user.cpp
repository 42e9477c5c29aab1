// Validate user: the credentials alone, and the user's notice when there is one.
#include "server/refusal.h"
#include "server/scripts/scripts.h"
#include "server/statuses.h"

namespace server {

Reply ValidateUser(ServerState& state, const UserRequest& request) {
    Identity identity;
    state.storage->RunRead(
        [&](ReadTx& tx) { identity = state.authenticator.Authenticate(tx, *request.credentials); });
    // The user is accepted all the same; the client shows the notice and goes on.
    if (!identity.notice.empty()) throw Refusal(brelmox::status::kUserNotice, identity.notice);
    return Answer(KeywordAnswer(brelmox::result::kSuccess));
}

}  // namespace server
