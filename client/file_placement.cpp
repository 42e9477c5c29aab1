#include "client/file_placement.h"

#include <algorithm>

#include "client/operations.h"
#include "client/path_text.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

bool IsSafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

bool HasParentStep(const std::string& folder) {
    for (size_t start = 0; start < folder.size();) {
        size_t end = std::min(folder.find('/', start), folder.size());
        if (folder.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

std::string WithOneTrailingSlash(std::string folder) {
    if (!folder.empty()) {
        folder.erase(folder.find_last_not_of("/\\") + 1);
        folder += '/';
    }
    return folder;
}

}  // namespace

std::string LocalTargetFolder(const std::string& localFolder) {
    return platform::NativePath(WithOneTrailingSlash(ForwardSlashes(localFolder)));
}

// Folders are created from the left, each path up to a separator in turn; empty
// components (a doubled separator) are passed over. Outcomes are not checked here: a
// folder that could not be made fails the write into it, with its own message.
int CreateDirectoryPath(const std::string& path) {
    for (size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && !platform::IsPathSeparator(path[end])) continue;
        if (platform::IsPathSeparator(path[end - 1])) continue;
        const std::string prefix = path.substr(0, end);
        if (!platform::IsDirectory(prefix)) platform::MakeDirectory(prefix);
    }
    return 1;
}

bool PlaceRecord(const std::string& name, const std::string& recordViewPath,
                 const std::string& requestViewPath, const std::string& localFolder, int preserve,
                 FilePlacement* placement, std::string* unsafe) {
    const std::string repositoryFolder = ForwardSlashes(TrimSlashes(recordViewPath));
    std::string folder = ForwardSlashes(localFolder);
    if (!IsSafeName(name)) {
        *unsafe = name;
        return false;
    }
    if (preserve != 0) {
        const std::string requested = ForwardSlashes(TrimSlashes(requestViewPath));
        size_t slash = requested.rfind('/');
        size_t baseLength = slash == std::string::npos ? 0 : slash;
        // Only the lengths are compared: the folder is mirrored whole once it goes deeper
        // than the folder that was asked for.
        std::string rest = repositoryFolder.size() > baseLength
                               ? TrimSlashes(repositoryFolder.substr(baseLength))
                               : "";
        if (!rest.empty()) {
            if (HasParentStep(repositoryFolder)) {
                *unsafe = recordViewPath;
                return false;
            }
            // An empty local folder keeps the mirrored folder relative, not at the root.
            folder = folder.empty() ? repositoryFolder : folder + "/" + repositoryFolder;
        }
    }
    folder = WithOneTrailingSlash(folder);
    placement->targetFolder = platform::NativePath(folder);
    placement->targetPath = platform::NativePath(folder + name);
    placement->repositoryPath = repositoryFolder.empty() ? name : repositoryFolder + "/" + name;
    return true;
}

}  // namespace brelmox
