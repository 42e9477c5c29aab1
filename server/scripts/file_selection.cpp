#include "server/scripts/file_selection.h"

#include <functional>

#include "common/format.h"
#include "platform/file_system.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

// One file, or none.
class SingleFile final : public FileCursor {
  public:
    explicit SingleFile(std::optional<FileState> file) : file_(std::move(file)) {}
    bool Next(FileState& file) override {
        if (!file_) return false;
        file = std::move(*file_);
        file_.reset();
        return true;
    }

  private:
    std::optional<FileState> file_;
};

// The files of another cursor whose names the pattern matches; a name without wildcards
// matches only itself.
class MatchingNames final : public FileCursor {
  public:
    MatchingNames(std::unique_ptr<FileCursor> files, std::string pattern)
        : files_(std::move(files)),
          pattern_(std::move(pattern)),
          wildcards_(HasWildcards(pattern_)) {}
    bool Next(FileState& file) override {
        while (files_->Next(file)) {
            if (wildcards_ ? platform::WildcardMatch(pattern_, file.name) : file.name == pattern_)
                return true;
        }
        return false;
    }

  private:
    std::unique_ptr<FileCursor> files_;
    std::string pattern_;
    bool wildcards_;
};

// The files of one cursor, or of a second one when the first has none.
class FirstWithFiles final : public FileCursor {
  public:
    FirstWithFiles(std::unique_ptr<FileCursor> first,
                   std::function<std::unique_ptr<FileCursor>()> otherwise)
        : files_(std::move(first)), otherwise_(std::move(otherwise)) {}
    bool Next(FileState& file) override {
        if (!otherwise_) return files_->Next(file);
        if (files_->Next(file)) {
            otherwise_ = nullptr;
            return true;
        }
        files_.reset();
        files_ = otherwise_();
        otherwise_ = nullptr;
        return files_->Next(file);
    }

  private:
    std::unique_ptr<FileCursor> files_;
    std::function<std::unique_ptr<FileCursor>()> otherwise_;
};

}  // namespace

std::unique_ptr<FileCursor> SelectFiles(ReadTx& tx, std::int64_t projectId,
                                        const std::string& viewPath, bool recurse) {
    const std::vector<std::string> components = SplitViewPath(viewPath);
    if (components.empty()) return std::make_unique<SingleFile>(std::nullopt);
    const std::string parent = JoinFolder(components, components.size() - 1);
    const std::string& last = components.back();
    if (HasWildcards(last))
        return std::make_unique<MatchingNames>(tx.LiveFilesUnder(projectId, parent, recurse), last);
    const std::string folder = JoinFolder(components, components.size());
    if (!recurse) {
        // One file is found by its key, however large its folder.
        std::optional<FileState> file = tx.FindFile(projectId, parent, last);
        if (file && !file->removed) return std::make_unique<SingleFile>(std::move(file));
        return tx.LiveFilesUnder(projectId, folder, false);
    }
    return std::make_unique<FirstWithFiles>(
        std::make_unique<MatchingNames>(tx.LiveFilesUnder(projectId, parent, true), last),
        [&tx, projectId, folder] { return tx.LiveFilesUnder(projectId, folder, true); });
}

std::vector<FileState> AllOf(FileCursor& files) {
    std::vector<FileState> all;
    for (FileState file; files.Next(file);) all.push_back(std::move(file));
    return all;
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
