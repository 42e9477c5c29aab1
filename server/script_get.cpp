// Get and check out: one record per selected file, each carrying its stored archive.
#include "common/format.h"
#include "server/dates.h"
#include "server/file_selection.h"
#include "server/refusal.h"
#include "server/scripts.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

struct GetRequest {
    Identity identity;
    std::int64_t projectId = 0;
    VersionWanted wanted;
};

OutgoingRecord Refused(const FileState& file, int status, std::string error) {
    OutgoingRecord record;
    record.status = status;
    record.error = std::move(error);
    record.name = file.name;
    record.folder = file.folder;
    return record;
}

OutgoingRecord RecordFor(ReadTx& tx, WriteTx* checkouts, const GetRequest& request,
                         const FileState& file) {
    const std::int64_t userId = request.identity.userId;
    if (checkouts != nullptr && file.checkoutUserId != 0 && file.checkoutUserId != userId) {
        return Refused(
            file, brelmox::status::kCheckedOutByOther,
            brelmox::FormatMessage(text::kCheckedOutByOther, ShownPath(file.folder, file.name),
                                   file.checkoutUser));
    }
    std::string refusal;
    const std::optional<Version> version = ChooseVersion(tx, file, request.wanted, refusal);
    if (!version) return Refused(file, brelmox::status::kNoSuchVersion, refusal);
    if (checkouts != nullptr) checkouts->SetCheckout(file.id, userId, Now());
    OutgoingRecord record;
    record.name = file.name;
    record.folder = file.folder;
    record.version = version->number;
    record.object = version->object;
    record.size = version->size;
    return record;
}

// The client stops at a refusal record, except within a recursive get at a file without
// the asked version. Going on behind that point would check out files it never received,
// whose old copies it could later check in over newer versions.
bool EndsTheClientsWalk(const OutgoingRecord& record, bool recurse) {
    return record.status != 0 && !(recurse && record.status == brelmox::status::kNoSuchVersion);
}

// The records up to the first one the client stops at; checks out their files when asked.
std::vector<OutgoingRecord> RecordsFor(ReadTx& tx, WriteTx* checkouts, const GetRequest& request,
                                       const std::string& viewPath, bool recurse) {
    const std::vector<FileState> files = SelectFiles(tx, request.projectId, viewPath, recurse);
    if (files.empty())
        throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
    std::vector<OutgoingRecord> records;
    for (const FileState& file : files) {
        records.push_back(RecordFor(tx, checkouts, request, file));
        if (EndsTheClientsWalk(records.back(), recurse)) break;
    }
    return records;
}

}  // namespace

Reply GetFiles(ServerState& state, Form& form) {
    GetRequest request;
    const Caller caller = IdentifyCaller(state, form);
    request.identity = caller.identity;
    request.projectId = caller.projectId;
    const bool recurse = form.Flag("recurse");
    const bool checkout = form.Flag("checkout");
    const std::string& viewPath = form.Required("viewpath");
    request.wanted = ReadVersionWanted(form);

    std::vector<OutgoingRecord> records;
    if (checkout) {
        // A check-out tests and sets in one write transaction, so two users cannot both win.
        state.storage->RunWrite(
            [&](WriteTx& tx) { records = RecordsFor(tx, &tx, request, viewPath, recurse); });
    } else {
        state.storage->RunRead(
            [&](ReadTx& tx) { records = RecordsFor(tx, nullptr, request, viewPath, recurse); });
    }
    Reply reply;
    reply.records = std::make_shared<RecordStream>(*state.storage, std::move(records));
    return reply;
}

}  // namespace server
