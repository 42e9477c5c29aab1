#include "client/local_files.h"

#include "client/path_text.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

// The folder without its trailing separators and, unless that leaves the root, one '\'.
std::string FolderPrefix(std::string folder) {
    folder.erase(folder.find_last_not_of("\\/") + 1);
    if (!folder.empty()) folder += '\\';
    return folder;
}

// The view path of one file: with preserve, the view path folder followed by the
// file's sub-folder below the top-level source folder, joined with '\'.
std::string FileViewPath(const std::string& viewPath, int preserve, const std::string& startPath,
                         const std::string& fileDirectory) {
    if (preserve == 0) return viewPath;
    const std::string topDirectory = platform::SplitPath(startPath).Folder();
    std::string subFolder = fileDirectory.compare(0, topDirectory.size(), topDirectory) == 0
                                ? fileDirectory.substr(topDirectory.size())
                                : fileDirectory;
    for (char& c : subFolder) {
        if (c == '/') c = '\\';
    }
    return FolderPrefix(viewPath) + subFolder;
}

// A non-zero result replaces the walk's result, so a refusal anywhere in the walk is
// not hidden by later successes.
void KeepFailure(int code, int* result) {
    if (code != 0) *result = code;
}

// startPath and pattern are absolute.
int Walk(const std::string& startPath, const std::string& pattern, const std::string& viewPath,
         int recurse, int preserve, const LocalFileVisitor& visit) {
    int result = 0;
    for (const platform::FoundFile& found : platform::FindFiles(pattern)) {
        if (found.isDirectory) continue;
        const std::string fileViewPath = FileViewPath(viewPath, preserve, startPath,
                                                      platform::SplitPath(found.fullPath).Folder());
        KeepFailure(visit(found.fullPath, fileViewPath), &result);
    }
    if (recurse == 0) return result;
    const platform::PathParts parts = platform::SplitPath(pattern);
    for (const platform::FoundFile& found : platform::FindFiles(parts.Folder() + "*")) {
        // A linked folder is not entered: a link back up the tree would never end the walk.
        if (!found.isDirectory || platform::IsSymbolicLink(found.fullPath)) continue;
        KeepFailure(
            Walk(startPath, found.fullPath + platform::NativePath("/") + parts.fname + parts.ext,
                 viewPath, recurse, preserve, visit),
            &result);
    }
    return result;
}

}  // namespace

int WalkLocalFiles(const std::string& startPath, const std::string& pattern,
                   const std::string& viewPath, int recurse, int preserve,
                   const LocalFileVisitor& visit) {
    return Walk(platform::AbsolutePath(startPath), platform::AbsolutePath(pattern), viewPath,
                recurse, preserve, visit);
}

LocalFiles CollectLocalFiles(const std::string& startPath, const std::string& pattern,
                             const std::string& viewPath, int recurse, int preserve) {
    LocalFiles files;
    WalkLocalFiles(
        startPath, pattern, viewPath, recurse, preserve,
        [&files](const std::string& localPath, const std::string& viewFolder) {
            const platform::PathParts parts = platform::SplitPath(localPath);
            files.viewPaths.push_back(FolderPrefix(viewFolder) + parts.fname + parts.ext);
            files.localPaths.push_back(localPath);
            return 0;
        });
    return files;
}

}  // namespace brelmox
