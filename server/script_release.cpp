// Undo check-out and remove: one record per selected file.
#include "common/format.h"
#include "common/wire.h"
#include "server/dates.h"
#include "server/file_selection.h"
#include "server/refusal.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

struct Outcome {
    int status = 0;
    std::string error;
};

using FileAction = Outcome (*)(Database& db, const Identity& identity, const FileState& file);

Outcome CheckedOutByOther(const FileState& file, int status) {
    return {status, brelmox::FormatMessage(text::kCheckedOutByOther,
                                           ShownPath(file.folder, file.name), file.checkoutUser)};
}

Outcome ReleaseCheckout(Database& db, const Identity& identity, const FileState& file) {
    if (file.checkoutUserId == 0) {
        return {brelmox::status::kNotCheckedOut,
                brelmox::FormatMessage(text::kNotCheckedOut, ShownPath(file.folder, file.name))};
    }
    if (file.checkoutUserId != identity.userId)
        return CheckedOutByOther(file, brelmox::status::kNotAuthorized);
    ClearCheckout(db, file.id);
    return {};
}

Outcome Remove(Database& db, const Identity& identity, const FileState& file) {
    if (file.checkoutUserId != 0 && file.checkoutUserId != identity.userId) {
        return CheckedOutByOther(file, brelmox::status::kCheckedOutByOther);
    }
    ClearCheckout(db, file.id);
    MarkRemoved(db, file.id, identity.userId, Now());
    return {};
}

Reply ActOnSelection(ServerState& state, Form& form, FileAction action) {
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    const std::int64_t projectId =
        RequireProject(*db, identity.organizationId, form.Required("project"));
    const bool recurse = form.Flag("recurse");
    const std::string& viewPath = form.Required("viewpath");

    Transaction transaction(*db, Transaction::Kind::kWrite);
    const std::vector<FileState> files = SelectFiles(*db, projectId, viewPath, recurse);
    if (files.empty())
        throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
    Reply reply;
    for (const FileState& file : files) {
        const Outcome outcome = action(*db, identity, file);
        if (outcome.status != 0) {
            reply.status = outcome.status;
            reply.body += KeywordAnswer::Failure(outcome.status, outcome.error, true);
            continue;
        }
        KeywordAnswer record(brelmox::result::kSuccess);
        record.Field(brelmox::wire::kKeyName, file.name)
            .Field(brelmox::wire::kKeyViewpath, WireFolder(file.folder))
            .EndRecord();
        reply.body += record.Text();
    }
    transaction.Commit();
    return reply;
}

}  // namespace

Reply Uncheckout(ServerState& state, Form& form) {
    return ActOnSelection(state, form, ReleaseCheckout);
}

Reply RemoveFiles(ServerState& state, Form& form) {
    return ActOnSelection(state, form, Remove);
}

}  // namespace server
