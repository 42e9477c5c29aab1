// Add and check in: one uploaded archive becomes the next version of one file.
#include "common/wire.h"
#include "server/archive_check.h"
#include "server/dates.h"
#include "server/refusal.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

struct Target {
    std::string folder;
    std::string name;
    std::string shown;  // how messages name the file
};

Target TargetOf(const Form& form, const Upload& upload) {
    const std::string& viewPath = form.Required("viewpath");
    const std::vector<std::string> components = SplitViewPath(viewPath);
    for (const std::string& component : components) RequireStorableName(component, viewPath);
    Target target;
    target.folder = JoinFolder(components, components.size());
    target.name = UploadedFileName(upload.filename);
    target.shown = ShownPath(target.folder, target.name);
    RequireStorableName(target.name, target.shown);
    return target;
}

// The file that receives a new version on add: a new one, or a removed one brought back.
std::int64_t FileForAdd(Database& db, std::int64_t projectId, const Target& target,
                        const std::optional<FileState>& file) {
    if (!file) return InsertFile(db, projectId, target.folder, target.name);
    if (!file->removed)
        throw Refusal::Of(brelmox::status::kAlreadyExists, text::kAlreadyExists, target.shown);
    Revive(db, file->id);
    return file->id;
}

// Refuses a check-in that cannot make a version. Unchanged content releases the
// check-out (committed here) and is answered with its own status.
void RequireCheckinAllowed(Database& db, Transaction& transaction, const Identity& identity,
                           const Target& target, const std::optional<FileState>& file,
                           const std::string& contentHash) {
    if (!file || file->removed) {
        throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository, target.shown);
    }
    if (file->checkoutUserId == 0) {
        throw Refusal::Of(brelmox::status::kNotCheckedOut, text::kNotCheckedOut, target.shown);
    }
    if (file->checkoutUserId != identity.userId) {
        throw Refusal::Of(brelmox::status::kCheckedOutByOther, text::kCheckedOutByOther,
                          target.shown, file->checkoutUser);
    }
    const std::optional<Version> latest = FindVersion(db, file->id, file->latestVersion);
    if (latest && latest->contentHash == contentHash) {
        ClearCheckout(db, file->id);
        transaction.Commit();
        throw Refusal::Of(brelmox::status::kUnchanged, text::kUnchanged, target.shown);
    }
}

}  // namespace

Reply AddFiles(ServerState& state, Form& form) {
    std::optional<Upload>& upload = form.File();
    if (!upload) throw Refusal(own_status::kMalformedRequest, text::kMissingUpload);
    ConnectionPool::Lease db = state.pool.Acquire();
    const Identity identity = state.authenticator.Authenticate(*db, form);
    const std::int64_t projectId =
        RequireProject(*db, identity.organizationId, form.Required("project"));
    const bool checkin = form.Flag("checkin");
    const Target target = TargetOf(form, *upload);

    const ArchiveCheck check = CheckArchive(upload->archive.Path(), state.unpackedLimit);
    if (check.result == ArchiveCheck::Result::kTooLarge) {
        throw Refusal::Of(own_status::kRequestTooLarge, text::kUnpacksTooLarge, target.shown,
                          std::to_string(state.unpackedLimit));
    }
    if (check.result != ArchiveCheck::Result::kGood)
        throw Refusal::Of(own_status::kDamagedArchive, text::kDamagedArchive, target.shown);
    upload->archive.SyncAndClose();
    const std::string& contentHash = check.contentHash;
    const NewVersion version{upload->archiveHash, static_cast<std::int64_t>(upload->size),
                             contentHash, identity.userId, form.Optional("description")};

    Transaction transaction(*db, Transaction::Kind::kWrite);
    // Such a path breaks every client's recursive get of the folder it is in.
    if (ClashesWithFileOrFolder(*db, projectId, target.folder, target.name))
        throw Refusal::Of(own_status::kBadPath, text::kBadPath, target.shown);
    const std::optional<FileState> file = FindFile(*db, projectId, target.folder, target.name);
    std::int64_t fileId = 0;
    if (checkin) {
        RequireCheckinAllowed(*db, transaction, identity, target, file, contentHash);
        fileId = file->id;
    } else {
        fileId = FileForAdd(*db, projectId, target, file);
    }
    Placement placement = state.objects.Place(upload->archive, version.object);
    InsertVersion(*db, fileId, (file ? file->latestVersion : 0) + 1, version, Now());
    ClearCheckout(*db, fileId);
    transaction.Commit();
    placement.Keep();

    KeywordAnswer answer(brelmox::result::kSuccess);
    answer.Field(brelmox::wire::kKeyName, target.name)
        .Field(brelmox::wire::kKeyViewpath, WireFolder(target.folder));
    return Answer(std::move(answer));
}

}  // namespace server
