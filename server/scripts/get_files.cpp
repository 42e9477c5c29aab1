// Get and check out: one record per selected file, each carrying its stored archive.
#include "common/format.h"
#include "server/refusal.h"
#include "server/scripts/dates.h"
#include "server/scripts/file_selection.h"
#include "server/scripts/scripts.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

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

// The records of a check-out, made and committed before the answer starts: the files it
// checks out are the ones the client receives.
std::vector<OutgoingRecord> CheckOut(WriteTx& tx, const GetRequest& request,
                                     const std::string& viewPath, bool recurse) {
    const std::vector<FileState> files =
        AllOf(*SelectFiles(tx, request.projectId, viewPath, recurse));
    if (files.empty())
        throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
    std::vector<OutgoingRecord> records;
    for (const FileState& file : files) {
        records.push_back(RecordFor(tx, &tx, request, file));
        if (EndsTheClientsWalk(records.back(), recurse)) break;
    }
    return records;
}

// The records of a plain get, read from the query while the answer is sent, so memory does
// not grow with the number of files. Holds its read transaction until the last record.
class QueriedRecords final : public RecordSource {
  public:
    QueriedRecords(std::unique_ptr<ReadTx> tx, std::unique_ptr<FileCursor> files,
                   GetRequest request, bool recurse, FileState first)
        : tx_(std::move(tx)),
          files_(std::move(files)),
          request_(std::move(request)),
          recurse_(recurse),
          pending_(std::move(first)) {}

    bool Next(OutgoingRecord& record) override {
        FileState file;
        if (pending_) {
            file = std::move(*pending_);
            pending_.reset();
        } else if (!files_ || !files_->Next(file)) {
            End();
            return false;
        }
        record = RecordFor(*tx_, nullptr, request_, file);
        if (EndsTheClientsWalk(record, recurse_)) End();
        return true;
    }

  private:
    // Gives the connection back as soon as nothing more will be read.
    void End() {
        files_.reset();
        tx_.reset();
    }

    std::unique_ptr<ReadTx> tx_;
    std::unique_ptr<FileCursor> files_;
    GetRequest request_;
    bool recurse_;
    std::optional<FileState> pending_;
};

std::unique_ptr<RecordSource> Select(Storage& storage, const GetRequest& request,
                                     const std::string& viewPath, bool recurse) {
    std::unique_ptr<ReadTx> tx = storage.BeginRead();
    std::unique_ptr<FileCursor> files = SelectFiles(*tx, request.projectId, viewPath, recurse);
    FileState first;
    if (!files->Next(first))
        throw Refusal::Of(brelmox::status::kNothingMatched, text::kNothingMatched, viewPath);
    return std::make_unique<QueriedRecords>(std::move(tx), std::move(files), request, recurse,
                                            std::move(first));
}

}  // namespace

Reply GetFiles(ServerState& state, const GetFilesRequest& fields) {
    GetRequest request;
    const Caller caller = IdentifyCaller(state, fields.caller);
    request.identity = caller.identity;
    request.projectId = caller.projectId;
    const bool recurse = *fields.recurse;
    const bool checkout = *fields.checkout;
    const std::string& viewPath = *fields.viewPath;
    request.wanted = *fields.wanted;

    std::unique_ptr<RecordSource> records;
    if (checkout) {
        // A check-out tests and sets in one write transaction, so two users cannot both win.
        std::vector<OutgoingRecord> listed;
        state.storage->RunWrite(
            [&](WriteTx& tx) { listed = CheckOut(tx, request, viewPath, recurse); });
        records = std::make_unique<ListedRecords>(std::move(listed));
    } else {
        records = Select(*state.storage, request, viewPath, recurse);
    }
    Reply reply;
    reply.records = std::make_shared<RecordStream>(*state.storage, std::move(records));
    return reply;
}

}  // namespace server
