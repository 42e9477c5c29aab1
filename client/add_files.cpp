#include <filesystem>

#include "client/operations.h"
#include "client/path_text.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// The view path of one file: with preserve, the view path folder followed by the
// file's sub-folder below the top-level source folder, joined with '\'.
std::string FileViewPath(const std::string& viewPath, int preserve, const std::string& startPath,
                         const std::string& fileDirectory) {
    if (preserve == 0) return viewPath;
    std::string result = viewPath;
    result.erase(result.find_last_not_of("\\/") + 1);
    if (!result.empty()) result += '\\';
    const std::string topDirectory = platform::SplitPath(startPath).dir;
    std::string subFolder = fileDirectory.compare(0, topDirectory.size(), topDirectory) == 0
                                ? fileDirectory.substr(topDirectory.size())
                                : fileDirectory;
    for (char& c : subFolder) {
        if (c == '/') c = '\\';
    }
    return result + subFolder;
}

bool IsSymbolicLink(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_symlink(path, error);
}

// A non-zero result replaces the walk's result, so a refusal anywhere in the walk is
// not hidden by later successes.
void KeepFailure(int code, int* result) {
    if (code != 0) *result = code;
}

}  // namespace

int AddFiles(std::string startPath, std::string pattern, std::string viewPath, int recurse,
             int preserve, int checkin, std::string description, COstrelContext& context) {
    startPath = AbsolutePath(startPath);
    pattern = AbsolutePath(pattern);
    int result = 0;
    for (const platform::FoundFile& found : platform::FindFiles(pattern)) {
        if (found.isDirectory) continue;
        const std::string fileViewPath =
            FileViewPath(viewPath, preserve, startPath, platform::SplitPath(found.fullPath).dir);
        KeepFailure(AddFile(context, checkin, found.fullPath, fileViewPath, description), &result);
    }
    if (recurse == 0) return result;
    const platform::PathParts parts = platform::SplitPath(pattern);
    for (const platform::FoundFile& found : platform::FindFiles(parts.dir + "*")) {
        // A linked folder is not entered: a link back up the tree would never end the walk.
        if (!found.isDirectory || IsSymbolicLink(found.fullPath)) continue;
        KeepFailure(AddFiles(startPath, found.fullPath + "/" + parts.fname + parts.ext, viewPath,
                             recurse, preserve, checkin, description, context),
                    &result);
    }
    return result;
}

}  // namespace brelmox
