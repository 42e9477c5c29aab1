#include "scc/view_path.h"

#include <filesystem>

#include "common/format.h"
#include "scc/messages.h"

namespace brelmoxscc {

namespace {

namespace fs = std::filesystem;

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

enum class Mapping { Below, Outside, Backslash, Wildcard };

// The file's path below root with '\' between its names, or why there is none: it does not
// lie below root (or a path is not absolute), or a name holds a '\' (which the repository
// would read as a folder) or a '*' or '?' (which it would read as a pattern: an IDE path
// names one file, and the protocol has no way to quote a name).
Mapping PathBelow(const std::string& root, const std::string& file, std::string* below) {
    below->clear();
    if (!IsAbsolute(root) || !IsAbsolute(file)) return Mapping::Outside;
    const fs::path relative =
        fs::path(file).lexically_normal().lexically_relative(fs::path(root).lexically_normal());
    for (const fs::path& part : relative) {
        const std::string name = part.string();
        if (name.empty() || name == ".") continue;
        if (name == "..") return Mapping::Outside;
        if (name.find('\\') != std::string::npos) return Mapping::Backslash;
        if (name.find_first_of("*?") != std::string::npos) return Mapping::Wildcard;
        if (!below->empty()) *below += '\\';
        *below += name;
    }
    return below->empty() ? Mapping::Outside : Mapping::Below;
}

bool PathBelowOrRefuse(const ProviderContext& context, const std::string& file,
                       std::string* below) {
    switch (PathBelow(context.m_strLocalProjectPath, file, below)) {
        case Mapping::Below:
            return true;
        case Mapping::Backslash:
            ReportMessage(context, brelmox::FormatMessage(msg::kBackslashInPath, file));
            return false;
        case Mapping::Wildcard:
            ReportMessage(context, brelmox::FormatMessage(msg::kWildcardInPath, file));
            return false;
        case Mapping::Outside:
            break;
    }
    ReportMessage(context, brelmox::FormatMessage(msg::kOutsideProjectFolder, file,
                                                  context.m_strLocalProjectPath));
    return false;
}

}  // namespace

// Only the relative path's leading ".\" goes: names that start with a dot (.settings,
// .gitignore) are ordinary names here and keep it, so no two files share a view path.
bool GetViewPath(const ProviderContext& context, const std::string& idePath,
                 std::string* viewPath) {
    return PathBelowOrRefuse(context, idePath, viewPath);
}

SCCRTN ViewPathOfFile(const ProviderContext& context, LPCSTR file, std::string* viewPath) {
    if (file == nullptr) {
        ReportMessage(context, msg::kNoFileGiven);
        return SCC_E_NONSPECIFICERROR;
    }
    return GetViewPath(context, file, viewPath) ? SCC_OK : SCC_E_FILENOTCONTROLLED;
}

bool FindViewPath(const ProviderContext& context, const std::string& idePath,
                  std::string* viewPath) {
    return PathBelow(context.m_strLocalProjectPath, idePath, viewPath) == Mapping::Below;
}

bool GetViewFolder(const ProviderContext& context, const std::string& idePath,
                   std::string* viewFolder) {
    if (!PathBelowOrRefuse(context, idePath, viewFolder)) return false;
    const size_t lastSeparator = viewFolder->rfind('\\');
    viewFolder->resize(lastSeparator == std::string::npos ? 0 : lastSeparator);
    return true;
}

}  // namespace brelmoxscc
