// History and properties of one file.
#include <charconv>

#include "common/format.h"
#include "common/wire.h"
#include "server/dates.h"
#include "server/refusal.h"
#include "server/repository.h"
#include "server/scripts.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

constexpr int kLargestZoneOffset = 24 * 60;

struct Subject {
    FileState file;
    bool withLabels = false;
};

// The file of the "filepath" field, removed ones included: their history stays readable.
Subject ReadSubject(ServerState& state, Database& db, const Form& form) {
    const Identity identity = state.authenticator.Authenticate(db, form);
    const std::int64_t projectId =
        RequireProject(db, identity.organizationId, form.Required("project"));
    const std::string& type = form.Required("type");
    if (type != "version" && type != "label") {
        throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, type, "type");
    }
    const std::string& filePath = form.Required("filepath");
    const std::vector<std::string> components = SplitViewPath(filePath);
    std::optional<FileState> file;
    if (!components.empty()) {
        file = FindFile(db, projectId, JoinFolder(components, components.size() - 1),
                        components.back());
    }
    if (!file)
        throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository, filePath);
    return Subject{*file, type == "label"};
}

int ReadZoneOffset(const Form& form) {
    const std::string& text = form.Required("timezone");
    int minutes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), minutes);
    if (error != std::errc() || end != text.data() + text.size() || minutes < -kLargestZoneOffset ||
        minutes > kLargestZoneOffset) {
        throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, text, "timezone");
    }
    return minutes;
}

// Older versions are simply checked in; the latest one carries the file's state.
std::string StateText(const FileState& file, const Version& version) {
    if (version.number != file.latestVersion) return text::kStateCheckedIn;
    if (file.removed) return text::kStateRemoved;
    if (file.checkoutUserId != 0)
        return brelmox::FormatMessage(text::kStateCheckedOut, file.checkoutUser);
    return text::kStateCheckedIn;
}

void AddVersionHead(Database& db, KeywordAnswer& answer, const Subject& subject,
                    const Version& version) {
    answer.Field(brelmox::wire::kKeyVersion, version.number);
    if (subject.withLabels) answer.Field(brelmox::wire::kKeyLabel, LabelsOn(db, version.id));
    answer.Field(brelmox::wire::kKeyVersionStatus, StateText(subject.file, version));
}

}  // namespace

Reply GetHistory(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    Transaction transaction(*db, Transaction::Kind::kRead);
    const Subject subject = ReadSubject(state, *db, form);
    const int zoneOffset = ReadZoneOffset(form);
    KeywordAnswer answer(brelmox::result::kSuccess);
    for (const Version& version : VersionsOf(*db, subject.file.id)) {
        AddVersionHead(*db, answer, subject, version);
        answer.Field(brelmox::wire::kKeyDate, FormatClientDate(version.createdAt, zoneOffset))
            .Field(brelmox::wire::kKeyUser, version.user)
            .Field(brelmox::wire::kKeyDescription, version.description);
    }
    return Answer(std::move(answer));
}

Reply GetProperties(ServerState& state, Form& form) {
    ConnectionPool::Lease db = state.pool.Acquire();
    Transaction transaction(*db, Transaction::Kind::kRead);
    const Subject subject = ReadSubject(state, *db, form);
    const std::optional<Version> version =
        FindVersion(*db, subject.file.id, subject.file.latestVersion);
    if (!version)
        throw Refusal::Of(brelmox::status::kNotInRepository, text::kNotInRepository,
                          form.Required("filepath"));
    KeywordAnswer answer(brelmox::result::kSuccess);
    AddVersionHead(*db, answer, subject, *version);
    answer.Field(brelmox::wire::kKeyDate, FormatUtcDate(version->createdAt))
        .Field(brelmox::wire::kKeyUser, version->user)
        .Field(brelmox::wire::kKeyDescription, version->description)
        .Field(brelmox::wire::kKeyDateRemoved,
               subject.file.removed ? FormatUtcDate(subject.file.removedAt) : "")
        .Field(brelmox::wire::kKeyRemover, subject.file.remover);
    return Answer(std::move(answer));
}

}  // namespace server
