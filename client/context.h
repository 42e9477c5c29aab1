// The client context: who the user is, which project is current, where the server
// is and how messages reach the user. Every server operation runs against one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "client/notifier.h"

namespace platform {
class HttpSession;
}

namespace brelmox {

class COstrelContext {
  public:
    // Starts with the default notifier: messages on standard error, nothing else shown,
    // so that a host that installs none still learns of failures.
    COstrelContext();
    virtual ~COstrelContext();

    // How this context's operations reach the user; null puts the default back.
    void SetNotifier(std::unique_ptr<Notifier> notifier);
    Notifier& Notify() const { return *notifier_; }

    // The context's connections: its requests reuse a kept-open connection to the server.
    // Like the rest of the context, used by one thread at a time.
    platform::HttpSession& Http() { return *http_; }

    // Reads the Config and Connection keys; 0 when both opened, -2 otherwise.
    int LoadConfig();
    // Writes the five Config values; errors are ignored and the result is always 0.
    int SaveConfig();

    std::string m_strOrganization;
    std::string m_strProject;
    std::string m_strUsername;
    std::string m_strPassword;
    std::string m_strDiffCommand;
    std::string m_strLocalProjectPath;
    std::string m_strCallerName;
    std::string m_strURL;
    std::string m_strVirtualDirectory;
    uint8_t m_bSecure = 0;

  private:
    std::unique_ptr<Notifier> notifier_;
    std::unique_ptr<platform::HttpSession> http_;
};

// Key paths under HKEY_CURRENT_USER: "SOFTWARE\Farrowdyne\Brelmox\<subKey>".
std::string BuildKeyPath(const std::string& subKey);

// Creates or opens the key and sets one string value; 0 on success.
int WriteRegString(const std::string& keyPath, const std::string& name, const std::string& text);

// Shows one message every user must see, through the context's notifier. Always returns 1.
int ReportMessage(const COstrelContext& context, std::string text);

}  // namespace brelmox
