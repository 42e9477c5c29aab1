#include "client/messages.h"
#include "client/operations.h"
#include "client/transport.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "platform/http_client.h"
#include "platform/http_target.h"
#include "platform/registry_file.h"

namespace brelmox {

namespace {

constexpr int kReachabilityTimeoutSeconds = 10;

// What the server is asked about; each is set with the console program's cfg command.
struct AccountSetting {
    const char* name;
    std::string COstrelContext::*field;
    const char* howToSet;
    bool projectOnly;
};
const AccountSetting kAccountSettings[] = {
    {msg::kValUsername, &COstrelContext::m_strUsername, msg::kSetUsername, false},
    {msg::kValOrganization, &COstrelContext::m_strOrganization, msg::kSetOrganization, false},
    {msg::kValProject, &COstrelContext::m_strProject, msg::kSetProject, true},
};

// Without a host the reachability check would name the bare scheme, and a host written
// with its scheme would be reached at "http://http://...": both are settings to fix.
int CheckServerAddress(const COstrelContext& context) {
    const std::string& url = context.m_strURL;
    if (url.empty()) {
        const std::string howToSet = FormatMessage(msg::kSetURL, platform::StoreToolName(),
                                                   BuildKeyPath(msg::kConnectionKey));
        ReportMessage(context, FormatMessage(msg::kSettingMissing, msg::kValURL, howToSet));
        return result::kConfigMissing;
    }
    if (platform::HasWebScheme(url)) {
        ReportMessage(context, FormatMessage(msg::kURLWithScheme, url));
        return result::kConfigMissing;
    }
    return result::kSuccess;
}

// The password is not among them: whether it may be empty is the server's to say.
int CheckAccount(const COstrelContext& context, int validateProject) {
    for (const AccountSetting& setting : kAccountSettings) {
        if (setting.projectOnly && validateProject == 0) continue;
        if (!(context.*setting.field).empty()) continue;
        ReportMessage(context, FormatMessage(msg::kSettingMissing, setting.name, setting.howToSet));
        return result::kConfigMissing;
    }
    return result::kSuccess;
}

}  // namespace

int ConnectAndValidate(COstrelContext& context, int validateProject) {
    context.LoadConfig();
    int result = CheckServerAddress(context);
    if (result != 0) return result;
    const std::string url = BuildCheckURL(context);
    if (!platform::CheckConnection(url, kReachabilityTimeoutSeconds)) {
        ReportMessage(context, FormatMessage(msg::kCannotConnectSite, url));
        return result::kUnreachable;
    }
    result = CheckAccount(context, validateProject);
    if (result != 0) return result;
    result = ValidateUser(context);
    if (result != 0 || validateProject == 0) return result;
    result = ValidateProject(context);
    if (result == status::kUnknownProject) {
        ReportMessage(context, FormatMessage(msg::kUnknownProject, context.m_strProject));
    }
    return result;
}

}  // namespace brelmox
