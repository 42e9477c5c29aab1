// History and properties of one file.
#include "common/format.h"
#include "common/wire.h"
#include "server/refusal.h"
#include "server/scripts/dates.h"
#include "server/scripts/scripts.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

struct Subject {
    FileState file;
    bool withLabels = false;
};

// The file of the "filepath" field, removed ones included: their history stays readable.
Subject ReadSubject(ServerState& state, ReadTx& tx, const FileRequest& request) {
    const std::int64_t projectId = IdentifyCaller(state, tx, request.caller).projectId;
    const bool withLabels = *request.withLabels;
    const std::string& filePath = *request.filePath;
    const std::vector<std::string> components = SplitViewPath(filePath);
    std::optional<FileState> file;
    if (!components.empty()) {
        file = tx.FindFile(projectId, JoinFolder(components, components.size() - 1),
                           components.back());
    }
    if (!file)
        throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository, filePath);
    return Subject{*file, withLabels};
}

// Older versions are simply checked in; the latest one carries the file's state.
std::string StateText(const FileState& file, const Version& version) {
    if (version.number != file.latestVersion) return text::kStateCheckedIn;
    if (file.removed) return text::kStateRemoved;
    if (file.checkoutUserId != 0)
        return brelmox::FormatMessage(text::kStateCheckedOut, file.checkoutUser);
    return text::kStateCheckedIn;
}

void AddVersionHead(ReadTx& tx, KeywordAnswer& answer, const Subject& subject,
                    const Version& version) {
    answer.Field(brelmox::wire::kKeyVersion, version.number);
    if (subject.withLabels) answer.Field(brelmox::wire::kKeyLabel, tx.LabelsOn(version.id));
    answer.Field(brelmox::wire::kKeyVersionStatus, StateText(subject.file, version));
}

void AddProperties(KeywordAnswer& answer, const FileState& file, const Version& version) {
    answer.Field(brelmox::wire::kKeyDate, FormatUtcDate(version.createdAt))
        .Field(brelmox::wire::kKeyUser, version.user)
        .Field(brelmox::wire::kKeyDescription, version.description)
        .Field(brelmox::wire::kKeyDateRemoved, file.removed ? FormatUtcDate(file.removedAt) : "")
        .Field(brelmox::wire::kKeyRemover, file.remover);
}

}  // namespace

Reply GetHistory(ServerState& state, const HistoryRequest& request) {
    KeywordAnswer answer(brelmox::result::kSuccess);
    state.storage->RunRead([&](ReadTx& tx) {
        const Subject subject = ReadSubject(state, tx, request.file);
        const int zoneOffset = *request.zoneOffset;
        for (const Version& version : tx.VersionsOf(subject.file.id)) {
            AddVersionHead(tx, answer, subject, version);
            answer.Field(brelmox::wire::kKeyDate, FormatClientDate(version.createdAt, zoneOffset))
                .Field(brelmox::wire::kKeyUser, version.user)
                .Field(brelmox::wire::kKeyDescription, version.description);
        }
    });
    return Answer(std::move(answer));
}

Reply GetProperties(ServerState& state, const FileRequest& request) {
    KeywordAnswer answer(brelmox::result::kSuccess);
    state.storage->RunRead([&](ReadTx& tx) {
        const Subject subject = ReadSubject(state, tx, request);
        const std::optional<Version> version =
            tx.FindVersion(subject.file.id, subject.file.latestVersion);
        if (!version)
            throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository,
                              *request.filePath);
        AddVersionHead(tx, answer, subject, *version);
        AddProperties(answer, subject.file, *version);
    });
    return Answer(std::move(answer));
}

}  // namespace server
