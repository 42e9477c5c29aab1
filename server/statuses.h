// The statuses the server answers with and the texts of its "error:" lines. The statuses
// the client gives a meaning to come from the client's table; the others are the server's.
#pragma once

#include "common/result_codes.h"

namespace server {

namespace own_status {
constexpr int kMalformedRequest = -2101;
constexpr int kRequestTooLarge = -2102;
constexpr int kBadPath = -2103;
constexpr int kDamagedArchive = -2104;
constexpr int kStorageFailure = -2105;
constexpr int kInvalidValue = -2106;
constexpr int kProjectExists = -2107;
// Not the wrong-password status: that one makes the client ask for the password again.
constexpr int kLoginsBackedOff = -2108;
}  // namespace own_status

namespace text {
constexpr const char* kUnknownOrganization = "Unknown organization '%s'.";
constexpr const char* kInvalidUser = "Invalid user name or password.";
constexpr const char* kUserBackedOff =
    "Too many failed log-ins for '%s' from this address; try again in %s.";
constexpr const char* kAddressBackedOff =
    "Too many failed log-ins from this address; try again in %s.";
constexpr const char* kOneSecond = "1 second";
constexpr const char* kSeconds = "%s seconds";
constexpr const char* kUnknownProject = "Unknown project '%s'.";
constexpr const char* kProjectExists = "Project '%s' already exists.";
constexpr const char* kAlreadyExists = "File '%s' already exists in the repository.";
constexpr const char* kNotInRepository = "File '%s' is not in the repository.";
constexpr const char* kCheckedOutByOther = "File '%s' is checked out by %s.";
constexpr const char* kNotCheckedOut = "File '%s' is not checked out.";
constexpr const char* kUnchanged =
    "File '%s' is unchanged: no new version was made and the check-out was released.";
constexpr const char* kNothingMatched = "No file matches '%s'.";
constexpr const char* kNoSuchVersion = "File '%s' has no version %s.";
constexpr const char* kNoSuchLabel = "File '%s' has no version labelled '%s'.";
constexpr const char* kMissingField = "Malformed request: the field '%s' is missing.";
constexpr const char* kMissingUpload = "Malformed request: the file part 'userfile' is missing.";
constexpr const char* kMalformedBody =
    "Malformed request: the body is not a complete multipart form.";
constexpr const char* kRequestTooLarge = "Request larger than the server accepts (%s bytes).";
constexpr const char* kFieldTooLong = "A text field is longer than the server accepts (%s bytes).";
constexpr const char* kDescriptionTooLong =
    "The description is longer than the server accepts (%s bytes).";
constexpr const char* kBadPath = "Path '%s' is not a valid path inside the project.";
constexpr const char* kBarInPath =
    "Path '%s' holds a '|', which cannot be stored: the multi-file status joins paths with it.";
constexpr const char* kDamagedArchive =
    "The uploaded archive of '%s' is damaged (not a zip archive, or a failed CRC check).";
constexpr const char* kUnpacksTooLarge =
    "The uploaded archive of '%s' unpacks to more than the server accepts (%s bytes).";
constexpr const char* kStorageFailure =
    "The server failed to complete the request (a storage error; its log has the details).";
constexpr const char* kInvalidValue = "Invalid value '%s' for the field '%s'.";
constexpr const char* kLabelNeedsName = "A label needs a name.";
constexpr const char* kProjectNeedsName = "A project needs a name.";

// Starting to serve. The reason, when known, is ": " and the system's words.
constexpr const char* kCannotListen = "Cannot listen on %s%s.";
constexpr const char* kReadOnlyFolder = "The data folder '%s' is read-only.";
constexpr const char* kDescriptorBudget =
    "descriptors: soft limit %s, hard limit %s; up to %s connections at once";
constexpr const char* kEdgeRefused = "The HTTP edge could not start with these settings.";

// History and properties: the state of a version.
constexpr const char* kStateCheckedIn = "Checked in";
constexpr const char* kStateCheckedOut = "Checked out by %s";
constexpr const char* kStateRemoved = "Removed";
}  // namespace text

}  // namespace server
