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

std::vector<FileState> LiveFilesUnder(ReadTx& tx, std::int64_t projectId, const std::string& folder,
                                      bool recurse) {
    std::unique_ptr<FileCursor> cursor = tx.LiveFilesUnder(projectId, folder, recurse);
    std::vector<FileState> files;
    for (FileState file; cursor->Next(file);) files.push_back(std::move(file));
    return files;
}

std::vector<FileState> NamedIn(ReadTx& tx, std::int64_t projectId, const std::string& folder,
                               const std::string& pattern, bool recurse) {
    std::vector<FileState> files = LiveFilesUnder(tx, projectId, folder, recurse);
    const bool wildcards = HasWildcards(pattern);
    std::erase_if(files, [&](const FileState& file) {
        return wildcards ? !platform::WildcardMatch(pattern, file.name) : file.name != pattern;
    });
    return files;
}

}  // namespace

std::vector<FileState> SelectFiles(ReadTx& tx, std::int64_t projectId, const std::string& viewPath,
                                   bool recurse) {
    const std::vector<std::string> components = SplitViewPath(viewPath);
    if (components.empty()) return {};
    const std::string parent = JoinFolder(components, components.size() - 1);
    const std::string& last = components.back();
    std::vector<FileState> files = NamedIn(tx, projectId, parent, last, recurse);
    if (!files.empty() || HasWildcards(last)) return files;
    return LiveFilesUnder(tx, projectId, JoinFolder(components, components.size()), recurse);
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

std::optional<Version> ChooseVersion(ReadTx& tx, const FileState& file, const VersionWanted& wanted,
                                     std::string& refusal) {
    const std::string shown = ShownPath(file.folder, file.name);
    std::optional<Version> version;
    if (!wanted.label.empty()) {
        version = tx.FindLabelledVersion(file.id, wanted.label);
        if (!version) refusal = brelmox::FormatMessage(text::kNoSuchLabel, shown, wanted.label);
    } else {
        version = tx.FindVersion(file.id, wanted.number.value_or(file.latestVersion));
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
