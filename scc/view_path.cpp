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

// The file's path below root with '\' between its names; false when it has none or when
// a name holds a '\' (which the repository would read as a folder).
bool PathBelow(const ProviderContext& context, const std::string& file, std::string* below) {
    const std::string& root = context.m_strLocalProjectPath;
    below->clear();
    if (IsAbsolute(root) && IsAbsolute(file)) {
        const fs::path relative =
            fs::path(file).lexically_normal().lexically_relative(fs::path(root).lexically_normal());
        for (const fs::path& part : relative) {
            const std::string name = part.string();
            if (name.empty() || name == ".") continue;
            if (name == "..") {
                below->clear();
                break;
            }
            if (name.find('\\') != std::string::npos) {
                ReportMessage(context, brelmox::FormatMessage(msg::kBackslashInPath, file));
                return false;
            }
            if (!below->empty()) *below += '\\';
            *below += name;
        }
    }
    if (below->empty()) {
        ReportMessage(context, brelmox::FormatMessage(msg::kOutsideProjectFolder, file, root));
        return false;
    }
    return true;
}

}  // namespace

// Only the relative path's leading ".\" goes: names that start with a dot (.settings,
// .gitignore) are ordinary names here and keep it, so no two files share a view path.
bool GetViewPath(const ProviderContext& context, const std::string& idePath,
                 std::string* viewPath) {
    return PathBelow(context, idePath, viewPath);
}

bool GetViewFolder(const ProviderContext& context, const std::string& idePath,
                   std::string* viewFolder) {
    if (!PathBelow(context, idePath, viewFolder)) return false;
    const size_t lastSeparator = viewFolder->rfind('\\');
    viewFolder->resize(lastSeparator == std::string::npos ? 0 : lastSeparator);
    return true;
}

}  // namespace brelmoxscc
