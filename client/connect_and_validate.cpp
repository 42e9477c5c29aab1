#include "client/messages.h"
#include "client/operations.h"
#include "client/transport.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "platform/http_client.h"

namespace brelmox {

namespace {
constexpr int kReachabilityTimeoutSeconds = 10;
}

int ConnectAndValidate(COstrelContext& context, int validateProject) {
    int result = context.LoadConfig();
    const std::string url = BuildCheckURL(context);
    if (!platform::CheckConnection(url, kReachabilityTimeoutSeconds)) {
        ReportMessage(context, FormatMessage(msg::kCannotConnectSite, url));
        return result::kUnreachable;
    }
    if (result == result::kConfigMissing) return result;
    result = ValidateUser(context);
    if (result != 0 || validateProject == 0) return result;
    result = ValidateProject(context);
    if (result == status::kUnknownProject) {
        ReportMessage(context, FormatMessage(msg::kUnknownProject, context.m_strProject));
    }
    return result;
}

}  // namespace brelmox
