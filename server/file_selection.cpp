#include "server/file_selection.h"

#include <algorithm>
#include <charconv>

#include "common/format.h"
#include "platform/file_system.h"
#include "server/form.h"
#include "server/refusal.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

std::vector<FileState> NamedIn(Database& db, std::int64_t projectId, const std::string& folder,
                               const std::string& pattern, bool recurse) {
    std::vector<FileState> files = LiveFilesUnder(db, projectId, folder, recurse);
    const bool wildcards = HasWildcards(pattern);
    std::erase_if(files, [&](const FileState& file) {
        return wildcards ? !platform::WildcardMatch(pattern, file.name) : file.name != pattern;
    });
    return files;
}

}  // namespace

std::vector<FileState> SelectFiles(Database& db, std::int64_t projectId,
                                   const std::string& viewPath, bool recurse) {
    const std::vector<std::string> components = SplitViewPath(viewPath);
    if (components.empty()) return {};
    const std::string parent = JoinFolder(components, components.size() - 1);
    const std::string& last = components.back();
    std::vector<FileState> files = NamedIn(db, projectId, parent, last, recurse);
    if (!files.empty() || HasWildcards(last)) return files;
    return LiveFilesUnder(db, projectId, JoinFolder(components, components.size()), recurse);
}

VersionWanted ReadVersionWanted(const Form& form) {
    VersionWanted wanted;
    wanted.label = form.Optional("label");
    const std::string text = form.Optional("version_no");
    if (text.empty()) return wanted;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number <= 0) {
        throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, text, "version_no");
    }
    wanted.number = number;
    return wanted;
}

std::optional<Version> ChooseVersion(Database& db, const FileState& file,
                                     const VersionWanted& wanted, std::string& refusal) {
    const std::string shown = ShownPath(file.folder, file.name);
    std::optional<Version> version;
    if (!wanted.label.empty()) {
        version = FindLabelledVersion(db, file.id, wanted.label);
        if (!version) refusal = brelmox::FormatMessage(text::kNoSuchLabel, shown, wanted.label);
    } else {
        version = FindVersion(db, file.id, wanted.number.value_or(file.latestVersion));
    }
    // With both given, the labelled version must also be the numbered one.
    if (version && wanted.number && version->number != *wanted.number) version.reset();
    if (!version && refusal.empty()) {
        refusal =
            brelmox::FormatMessage(text::kNoSuchVersion, shown,
                                   std::to_string(wanted.number.value_or(file.latestVersion)));
    }
    return version;
}

}  // namespace server
