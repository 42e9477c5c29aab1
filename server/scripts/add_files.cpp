// Add and check in: one uploaded archive becomes the next version of one file.
#include "common/wire.h"
#include "server/refusal.h"
#include "server/scripts/archive_check.h"
#include "server/scripts/dates.h"
#include "server/scripts/scripts.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

struct Target {
    std::string folder;
    std::string name;
    std::string shown;  // how messages name the file
};

Target TargetOf(const std::string& viewPath, const Upload& upload) {
    const std::vector<std::string> components = SplitViewPath(viewPath);
    for (const std::string& component : components) RequireStorableName(component, viewPath);
    Target target;
    target.folder = JoinFolder(components, components.size());
    target.name = UploadedFileName(upload.filename);
    target.shown = ShownPath(target.folder, target.name);
    RequireStorableName(target.name, target.shown);
    return target;
}

// Refuses an upload that cannot become a version of the file; false when a check-in brings
// the content of the latest version, which makes no new one.
bool NeedsVersion(ReadTx& tx, const Caller& caller, bool checkin, const Target& target,
                  const std::optional<FileState>& file, const std::string& contentHash) {
    // Such a path breaks every client's recursive get of the folder it is in.
    if (tx.ClashesWithFileOrFolder(caller.projectId, target.folder, target.name))
        throw Refusal::Of(own_status::kBadPath, text::kBadPath, target.shown);
    if (!checkin) {
        if (file && !file->removed)
            throw Refusal::Of(brelmox::status::kAlreadyExists, text::kAlreadyExists, target.shown);
        return true;
    }
    if (!file || file->removed) {
        throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository, target.shown);
    }
    if (file->checkoutUserId == 0) {
        throw Refusal::Of(brelmox::status::kNotCheckedOut, text::kNotCheckedOut, target.shown);
    }
    if (file->checkoutUserId != caller.identity.userId) {
        throw Refusal::Of(brelmox::status::kCheckedOutByOther, text::kCheckedOutByOther,
                          target.shown, file->checkoutUser);
    }
    const std::optional<Version> latest = tx.FindVersion(file->id, file->latestVersion);
    return !latest || latest->contentHash != contentHash;
}

// Adds the version, or releases the check-out of unchanged content (false).
bool StoreVersion(WriteTx& tx, const Caller& caller, bool checkin, const Target& target,
                  Upload& upload, const NewVersion& version) {
    const std::optional<FileState> file = tx.FindFile(caller.projectId, target.folder, target.name);
    if (!NeedsVersion(tx, caller, checkin, target, file, version.contentHash)) {
        tx.ClearCheckout(file->id);
        return false;
    }
    const std::int64_t fileId =
        file ? file->id : tx.InsertFile(caller.projectId, target.folder, target.name);
    if (file && file->removed) tx.Revive(fileId);
    tx.StoreContent(version.object, upload.archive);
    tx.InsertVersion(fileId, (file ? file->latestVersion : 0) + 1, version, Now());
    tx.ClearCheckout(fileId);
    return true;
}

}  // namespace

Reply AddFiles(ServerState& state, AddFilesRequest& request) {
    Upload& upload = *request.upload;
    const Caller caller = IdentifyCaller(state, request.caller);
    const bool checkin = *request.checkin;
    const Target target = TargetOf(*request.viewPath, upload);
    // A file stored before such names were refused may still be checked in.
    if (!checkin) RequireNoBar(target.shown);

    const ArchiveCheck check = CheckArchive(upload.archive.Path(), state.unpackedLimit);
    if (check.result == ArchiveCheck::Result::kTooLarge) {
        throw Refusal::Of(own_status::kRequestTooLarge, text::kUnpacksTooLarge, target.shown,
                          std::to_string(state.unpackedLimit));
    }
    if (check.result != ArchiveCheck::Result::kGood)
        throw Refusal::Of(own_status::kDamagedArchive, text::kDamagedArchive, target.shown);
    const NewVersion version{upload.archiveHash, static_cast<std::int64_t>(upload.size),
                             check.contentHash, caller.identity.userId, *request.description};
    bool stored = false;
    state.storage->RunWrite(
        [&](WriteTx& tx) { stored = StoreVersion(tx, caller, checkin, target, upload, version); });
    if (!stored) throw Refusal::Of(brelmox::status::kUnchanged, text::kUnchanged, target.shown);

    KeywordAnswer answer(brelmox::result::kSuccess);
    answer.Field(brelmox::wire::kKeyName, target.name)
        .Field(brelmox::wire::kKeyViewpath, WireFolder(target.folder));
    return Answer(std::move(answer));
}

}  // namespace server
