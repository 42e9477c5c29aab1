// The provider's message table: texts shown to the user, byte for byte.
#pragma once

namespace brelmoxscc::msg {
constexpr const char* kProviderName = "Brelmox";
constexpr const char* kSecureSiteFormat = "https://%s";
constexpr const char* kPlainSiteFormat = "http://%s/%s";
constexpr const char* kAddingFiles = "Adding files";
constexpr const char* kUnknownProjectSilent = "Project, '%s\", is unknown.";
constexpr const char* kOutsideProjectFolder =
    "Cannot use '%s': it is not inside the project folder '%s'. Nothing was sent for it.";
constexpr const char* kBackslashInPath =
    "Cannot use '%s': a backslash in a name would mean a folder in the repository. Nothing was "
    "sent for it.";
constexpr const char* kProjectNameTooLong =
    "The project name '%s' is longer than 300 characters, more than the IDE can take.";
}  // namespace brelmoxscc::msg
