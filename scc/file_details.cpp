#include "scc/file_details.h"

#include <string>
#include <vector>

#include "client/operations.h"
#include "scc/messages.h"
#include "scc/view_path.h"

namespace brelmoxscc {

namespace {

// The provider always asks for versions, never for labels.
constexpr const char* kQueryType = "version";

}  // namespace

SCCRTN ShowHistory(ProviderContext& context, LONG count, const LPCSTR* files) {
    std::string viewPath;
    const SCCRTN found =
        ViewPathOfFile(context, count > 0 && files != nullptr ? files[0] : nullptr, &viewPath);
    if (found != SCC_OK) return found;
    // Whatever arrived is shown; a failed query has shown its own message.
    std::vector<brelmox::CFileVersion> versions;
    context.Busy(msg::kReadingHistory,
                 [&] { return brelmox::GetHistory(context, viewPath, kQueryType, &versions); });
    if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
    context.Ui().ShowHistory(
        viewPath, files[0], versions, [&](const std::string& version, const std::string& folder) {
            context.Busy(msg::kGettingFiles, [&] {
                return brelmox::GetFiles(viewPath, folder + "/", 0, 0, 0, "", "", version, context);
            });
        });
    return SCC_OK;
}

SCCRTN ShowProperties(ProviderContext& context, LPCSTR file) {
    std::string viewPath;
    const SCCRTN found = ViewPathOfFile(context, file, &viewPath);
    if (found != SCC_OK) return found;
    brelmox::CFileVersion record;
    context.Busy(msg::kReadingProperties,
                 [&] { return brelmox::GetProperties(context, viewPath, kQueryType, &record); });
    if (context.Cancelled()) return SCC_I_OPERATIONCANCELED;
    record.m_strFileName = viewPath;
    context.Ui().ShowProperties(record);
    return SCC_OK;
}

}  // namespace brelmoxscc
