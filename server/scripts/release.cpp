// Undo check-out and remove: one record per selected file.
#include "common/format.h"
#include "common/wire.h"
#include "server/refusal.h"
#include "server/scripts/dates.h"
#include "server/scripts/file_selection.h"
#include "server/scripts/scripts.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

struct Outcome {
    int status = 0;
    std::string error;
};

using FileAction = Outcome (*)(WriteTx& tx, const Identity& identity, const FileState& file);

Outcome CheckedOutByOther(const FileState& file, int status) {
    return {status, brelmox::FormatMessage(text::kCheckedOutByOther,
                                           ShownPath(file.folder, file.name), file.checkoutUser)};
}

Outcome ReleaseCheckout(WriteTx& tx, const Identity& identity, const FileState& file) {
    if (file.checkoutUserId == 0) {
        return {brelmox::status::kNotCheckedOut,
                brelmox::FormatMessage(text::kNotCheckedOut, ShownPath(file.folder, file.name))};
    }
    if (file.checkoutUserId != identity.userId)
        return CheckedOutByOther(file, brelmox::status::kNotAuthorized);
    tx.ClearCheckout(file.id);
    return {};
}

Outcome Remove(WriteTx& tx, const Identity& identity, const FileState& file) {
    if (file.checkoutUserId != 0 && file.checkoutUserId != identity.userId) {
        return CheckedOutByOther(file, brelmox::status::kCheckedOutByOther);
    }
    tx.ClearCheckout(file.id);
    tx.MarkRemoved(file.id, identity.userId, Now());
    return {};
}

Reply ActOnFiles(WriteTx& tx, const Identity& identity, const std::vector<FileState>& files,
                 FileAction action) {
    Reply reply;
    for (const FileState& file : files) {
        const Outcome outcome = action(tx, identity, file);
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
    return reply;
}

Reply ActOnSelection(ServerState& state, const SelectionRequest& request, FileAction action) {
    const Caller caller = IdentifyCaller(state, request.caller);
    const bool recurse = *request.recurse;
    const std::string& viewPath = *request.viewPath;
    Reply reply;
    state.storage->RunWrite([&](WriteTx& tx) {
        const std::vector<FileState> files =
            AllOf(*SelectFiles(tx, caller.projectId, viewPath, recurse));
        if (files.empty())
            throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
        reply = ActOnFiles(tx, caller.identity, files, action);
    });
    return reply;
}

}  // namespace

Reply Uncheckout(ServerState& state, const SelectionRequest& request) {
    return ActOnSelection(state, request, ReleaseCheckout);
}

Reply RemoveFiles(ServerState& state, const SelectionRequest& request) {
    return ActOnSelection(state, request, Remove);
}

}  // namespace server
