// The client context: who the user is, which project is current, where the server
// is and how messages reach the user. Every server operation runs against one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace brelmox {

class COstrelContext {
  public:
    COstrelContext() = default;
    virtual ~COstrelContext() = default;

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
    int32_t m_bConsole = 0;
    std::string m_strCallerName;
    std::string m_strURL;
    std::string m_strVirtualDirectory;
    uint8_t m_bSecure = 0;
};

// Key paths under HKEY_CURRENT_USER: "SOFTWARE\Farrowdyne\Brelmox\<subKey>".
std::string BuildKeyPath(const std::string& subKey);

// Creates or opens the key and sets one string value; 0 on success.
int WriteRegString(const std::string& keyPath, const std::string& name, const std::string& text);

// Shows one message: a line on standard output (flushed) in console mode, otherwise
// through the host's channel. Always returns 1.
int ReportMessage(std::string text, int32_t console);

// The host's channel for non-console messages; standard error until a host sets one.
void SetMessageChannel(std::function<void(const std::string&)> channel);

}  // namespace brelmox
