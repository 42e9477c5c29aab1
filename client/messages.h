// The client library's message table: texts shown to the user, byte for byte.
#pragma once

namespace brelmox {

namespace msg {
// Configuration store
constexpr const char* kCompanyProduct = "Farrowdyne\\Brelmox";
constexpr const char* kKeyFormat = "SOFTWARE\\%s\\%s";
constexpr const char* kConfigKey = "Config";
constexpr const char* kConnectionKey = "Connection";
constexpr const char* kValUsername = "Username";
constexpr const char* kValPassword = "Password";
constexpr const char* kValOrganization = "Organization";
constexpr const char* kValProject = "Project";
constexpr const char* kValDiffCommand = "DiffCommand";
constexpr const char* kValURL = "URL";
constexpr const char* kValVirtualDirectory = "Virtual Directory";
constexpr const char* kValSecure = "Secure";

// Transport
constexpr const char* kFailedToConnect = "Failed to connect to Brelmox\n";
constexpr const char* kNoUploadProgram = "Couldn't access upload program\n";
constexpr const char* kReadFailed = "Couldn't read status from internet\n";
constexpr const char* kSendCallName = "HttpSendRequest";
constexpr const char* kHttpErrorAnswer = "Server answered HTTP %d for '%s'.";

// Send-failure messages, one per operation
constexpr const char* kErrValidatingUser = "Error validating user (%s): %s.";
constexpr const char* kErrValidatingProject = "Error validating project (%s): %s.";
constexpr const char* kErrCreatingProject = "Error creating project (%s): %s.";
constexpr const char* kErrAddingFile = "Error adding file(%s): %s.";
constexpr const char* kErrGettingFile = "Error getting file (%s): %s.";
constexpr const char* kErrRemovingFile = "Error removing file (%s): %s.";
constexpr const char* kErrUndoingCheckout = "Error undoing check out (%s): %s.";
constexpr const char* kErrGettingProjectList = "Error getting latest project list (%s): %s.";
constexpr const char* kErrGettingHistory = "Error getting history (%s): %s.";
constexpr const char* kErrQueryingInfo = "Error querying object information (%s): %s.";

// Session validation and projects
constexpr const char* kCannotConnectSite = "Couldn't connect to Brelmox site, '%s'";
constexpr const char* kUnknownProject = "Unknown project with name '%s'.";
// A setting the start-up needs: its name, then how to set it.
constexpr const char* kSettingMissing = "The setting \"%s\" is missing: set it with %s";
constexpr const char* kSetURL = "%s add \"HKCU\\%s\" /v URL /d HOST[:PORT]";
constexpr const char* kSetUsername = "brelmox cfg -u USERNAME";
constexpr const char* kSetOrganization = "brelmox cfg -o ORGANIZATION";
constexpr const char* kSetProject = "brelmox cfg -pr PROJECT";
constexpr const char* kURLWithScheme =
    "The setting \"URL\" is '%s': store the host name (and :PORT) without http:// or "
    "https://; the setting \"Secure\" chooses HTTPS.";

// Transfers
constexpr const char* kErrDecompressing = "Error decompressing '%s' to '%s'.";
constexpr const char* kRefusedUnsafeName = "Refused unsafe file name '%s' from the server.";
constexpr const char* kInvalidSize = "Refused size '%s' of '%s' from the server.";
constexpr const char* kAnswerEndedInRecord = "The server's answer ended in the middle of a record.";
constexpr const char* kMalformedAnswer = "The server's answer is not in the expected form.";
constexpr const char* kNotRegularFile = "Passed over '%s': it is not a regular file.";
constexpr const char* kUnsendableName =
    "Cannot send '%s': its name holds a line break or a double quote.";
constexpr const char* kBarInName =
    "Cannot send '%s': a '|' in its name or repository folder cannot be stored, since the "
    "status query puts '|' between paths.";

}  // namespace msg

}  // namespace brelmox
