// Get and check out: one record per selected file, each carrying its stored archive.
#include "common/format.h"
#include "server/dates.h"
#include "server/file_selection.h"
#include "server/refusal.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

struct GetRequest {
    Identity identity;
    VersionWanted wanted;
    bool checkout = false;
};

OutgoingRecord Refused(const FileState& file, int status, std::string error) {
    OutgoingRecord record;
    record.status = status;
    record.error = std::move(error);
    record.name = file.name;
    record.folder = file.folder;
    return record;
}

OutgoingRecord RecordFor(Database& db, const ObjectStore& objects, const GetRequest& request,
                         const FileState& file) {
    const std::int64_t userId = request.identity.userId;
    if (request.checkout && file.checkoutUserId != 0 && file.checkoutUserId != userId) {
        return Refused(
            file, brelmox::status::kCheckedOutByOther,
            brelmox::FormatMessage(text::kCheckedOutByOther, ShownPath(file.folder, file.name),
                                   file.checkoutUser));
    }
    std::string refusal;
    const std::optional<Version> version = ChooseVersion(db, file, request.wanted, refusal);
    if (!version) return Refused(file, brelmox::status::kNoSuchVersion, refusal);
    if (request.checkout) SetCheckout(db, file.id, userId, Now());
    OutgoingRecord record;
    record.name = file.name;
    record.folder = file.folder;
    record.version = version->number;
    record.objectPath = objects.PathOf(version->object);
    record.size = version->size;
    return record;
}

// The client stops at a refusal record, except within a recursive get at a file without
// the asked version. Going on behind that point would check out files it never received,
// whose old copies it could later check in over newer versions.
bool EndsTheClientsWalk(const OutgoingRecord& record, bool recurse) {
    return record.status != 0 && !(recurse && record.status == brelmox::status::kNoSuchVersion);
}

}  // namespace

Reply GetFiles(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    GetRequest request;
    request.identity = state.authenticator.Authenticate(*db, form);
    const std::int64_t projectId =
        RequireProject(*db, request.identity.organizationId, form.Required("project"));
    const bool recurse = form.Flag("recurse");
    request.checkout = form.Flag("checkout");
    const std::string& viewPath = form.Required("viewpath");
    request.wanted = ReadVersionWanted(form);

    // A check-out tests and sets in one write transaction, so two users cannot both win.
    Transaction transaction(
        *db, request.checkout ? Transaction::Kind::kWrite : Transaction::Kind::kRead);
    const std::vector<FileState> files = SelectFiles(*db, projectId, viewPath, recurse);
    if (files.empty())
        throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
    std::vector<OutgoingRecord> records;
    for (const FileState& file : files) {
        records.push_back(RecordFor(*db, state.objects, request, file));
        if (EndsTheClientsWalk(records.back(), recurse)) break;
    }
    transaction.Commit();

    Reply reply;
    reply.records = std::make_shared<RecordStream>(std::move(records));
    return reply;
}

}  // namespace server
