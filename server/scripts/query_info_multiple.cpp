// Multi-file status: one status and version pair per path, in the order sent.
#include "common/wire.h"
#include "server/refusal.h"
#include "server/scripts/scripts.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

// An unusable path names no file of the project, so it answers like an unknown one.
std::optional<FileState> FileAt(ReadTx& tx, std::int64_t projectId, const std::string& path) {
    try {
        const std::vector<std::string> components = SplitViewPath(path);
        if (components.empty()) return std::nullopt;
        return tx.FindFile(projectId, JoinFolder(components, components.size() - 1),
                           components.back());
    } catch (const Refusal&) {
        return std::nullopt;
    }
}

int FileStatus(const std::optional<FileState>& file, std::int64_t userId) {
    if (!file) return brelmox::status::kNotInRepository;
    if (file->removed) return brelmox::status::kNotControlledRemoved;
    if (file->checkoutUserId == userId) return brelmox::status::kCheckedOutByYou;
    if (file->checkoutUserId != 0) return brelmox::status::kCheckedOutByOther;
    return brelmox::status::kNotCheckedOut;
}

}  // namespace

Reply QueryInfoMultiple(ServerState& state, const QueryInfoMultipleRequest& request) {
    KeywordAnswer answer(brelmox::result::kSuccess);
    state.storage->RunRead([&](ReadTx& tx) {
        const Caller caller = IdentifyCaller(state, tx, request.caller);
        for (const std::string& path : *request.filePaths) {
            const std::optional<FileState> file = FileAt(tx, caller.projectId, path);
            answer.Field(brelmox::wire::kKeyVersionStatus, FileStatus(file, caller.identity.userId))
                .Field(brelmox::wire::kKeyVersion,
                       file ? std::to_string(file->latestVersion) : std::string());
        }
    });
    return Answer(std::move(answer));
}

}  // namespace server
