#include "scc/lifecycle.h"

#include <cstring>
#include <memory>

#include "client/messages.h"
#include "client/operations.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "platform/host_code_page.h"
#include "platform/http_client.h"
#include "scc/messages.h"
#include "scc/provider_context.h"

namespace brelmoxscc {

namespace {

constexpr int kReachabilityTimeoutSeconds = 10;
constexpr size_t kProviderNameBuffer = 32;

std::string SiteAddress(const ProviderContext& context) {
    if (context.m_bSecure != 0) {
        return brelmox::FormatMessage(msg::kSecureSiteFormat, context.m_strURL);
    }
    return brelmox::FormatMessage(msg::kPlainSiteFormat, context.m_strURL,
                                  context.m_strVirtualDirectory);
}

// The login dialog until the server takes the user: 0, or the session's failure result.
SCCRTN LogIn(ProviderContext& context) {
    for (;;) {
        LoginValues values{context.m_strOrganization, context.m_strUsername, context.m_strPassword};
        if (!context.Ui().Login(&values)) return SCC_E_NOTAUTHORIZED;
        context.m_strUsername = values.username;
        context.m_strPassword = values.password;
        context.m_strOrganization = values.organization;
        const int result =
            context.Busy(msg::kLoggingIn, [&] { return brelmox::ValidateUser(context); });
        if (result == 0) return SCC_OK;
        // Cancelled while the server was asked: as if the dialog had been.
        if (context.Cancelled()) return SCC_E_NOTAUTHORIZED;
        if (result != brelmox::status::kInvalidUser &&
            result != brelmox::status::kUnknownOrganization) {
            return SCC_E_INITIALIZEFAILED;
        }
    }
}

void AnswerFixedFacts(LPSTR sccName, LPLONG sccCaps, LPSTR auxPathLabel, LPLONG checkoutCommentLen,
                      LPLONG commentLen) {
    if (sccName != nullptr) {
        std::strncpy(sccName, msg::kProviderName, kProviderNameBuffer - 1);
        sccName[kProviderNameBuffer - 1] = '\0';
    }
    if (sccCaps != nullptr) *sccCaps = kCapabilities;
    if (auxPathLabel != nullptr) auxPathLabel[0] = '\0';
    if (checkoutCommentLen != nullptr) *checkoutCommentLen = 0;
    if (commentLen != nullptr) *commentLen = 0;
}

}  // namespace

SCCRTN Initialize(ProviderUi& ui, void** ppContext, LPCSTR callerName, LPSTR sccName,
                  LPLONG sccCaps, LPSTR auxPathLabel, LPLONG checkoutCommentLen,
                  LPLONG commentLen) {
    if (ppContext == nullptr) return SCC_E_INITIALIZEFAILED;
    // Until the login succeeds the IDE holds no pointer it could use after a failure.
    *ppContext = nullptr;
    auto context = std::make_unique<ProviderContext>(ui);
    context->m_strCallerName = callerName != nullptr ? platform::FromHostCodePage(callerName) : "";
    context->LoadConfig();
    const std::string site = SiteAddress(*context);
    const bool reached = context->Busy(msg::kConnecting, [&] {
        return platform::CheckConnection(site, kReachabilityTimeoutSeconds);
    });
    if (context->Cancelled()) return SCC_E_INITIALIZEFAILED;
    if (!reached) {
        ReportMessage(*context, brelmox::FormatMessage(brelmox::msg::kCannotConnectSite, site));
        return SCC_E_INITIALIZEFAILED;
    }
    const SCCRTN login = LogIn(*context);
    if (login != SCC_OK) return login;
    context->SaveConfig();
    AnswerFixedFacts(sccName, sccCaps, auxPathLabel, checkoutCommentLen, commentLen);
    *ppContext = context.release();
    return SCC_OK;
}

SCCRTN Uninitialize(void* context) {
    delete static_cast<ProviderContext*>(context);
    return SCC_OK;
}

}  // namespace brelmoxscc
