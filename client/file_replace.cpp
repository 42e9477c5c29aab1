#include "client/file_replace.h"

#include <cerrno>

#include "client/messages.h"
#include "client/operations.h"
#include "common/result_codes.h"

namespace brelmox {

namespace {

int FileFailed(const char* operation, const std::string& path, int error,
               const COstrelContext& context) {
    ReportMessage(context, platform::FileErrorText(operation, path, error));
    return result::kFileError;
}

}  // namespace

PartialFile::PartialFile(std::string targetPath) : targetPath_(std::move(targetPath)) {}

int PartialFile::Create(const COstrelContext& context) {
    int error = file_.Create(targetPath_);
    // Folders are made only when the file cannot be: a download into folders that are
    // there asks nothing about them.
    const std::string folder = platform::SplitPath(targetPath_).Folder();
    if (error == ENOENT) {
        CreateDirectoryPath(folder);
        error = file_.Create(targetPath_);
    }
    return error == 0
               ? result::kSuccess
               : FileFailed("create a file in", folder.empty() ? "." : folder, error, context);
}

int PartialFile::Commit(const COstrelContext& context) {
    const int error = file_.Commit();
    return error == 0 ? result::kSuccess : FileFailed("write", targetPath_, error, context);
}

int CheckFolderTakesFiles(const std::string& folder, const COstrelContext& context) {
    // The probe is never committed: its nameless file or scratch folder goes with it.
    PartialFile probe(folder + "probe");
    return probe.Create(context);
}

}  // namespace brelmox
