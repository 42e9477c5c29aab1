#include "scc/view_path.h"

#include "common/format.h"
#include "scc/ide_path.h"
#include "scc/messages.h"

namespace brelmoxscc {

namespace {

bool PathBelowOrRefuse(const ProviderContext& context, const std::string& file,
                       std::string* below) {
    switch (PathBelow(context.m_strLocalProjectPath, file, NativePathRules(), below)) {
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
    return PathBelow(context.m_strLocalProjectPath, idePath, NativePathRules(), viewPath) ==
           Mapping::Below;
}

bool GetViewFolder(const ProviderContext& context, const std::string& idePath,
                   std::string* viewFolder) {
    if (!PathBelowOrRefuse(context, idePath, viewFolder)) return false;
    const size_t lastSeparator = viewFolder->rfind('\\');
    viewFolder->resize(lastSeparator == std::string::npos ? 0 : lastSeparator);
    return true;
}

}  // namespace brelmoxscc
