// Result codes of the library's operations; 0 is success, server statuses pass through.
#pragma once

namespace brelmox {

namespace result {
constexpr int kSuccess = 0;
constexpr int kConfigMissing = -2;
constexpr int kNoConnection = -3;
constexpr int kNoRequest = -4;
constexpr int kReadFailed = -5;
constexpr int kHttpError = -6;  // an HTTP error page instead of a keyword answer
constexpr int kFileError = -1001;
constexpr int kSendFailed = -1002;
constexpr int kUnexpectedField = -1003;
constexpr int kUnsafeName = -1004;  // a file name from the server that would leave the target
constexpr int kUnreachable = -2025;
constexpr int kUnpackFailed = -2027;
}  // namespace result

// Server statuses the client gives a meaning to.
namespace status {
constexpr int kNotControlledRemoved = -2001;
constexpr int kNothingMatched = -2002;
constexpr int kAlreadyExists = -2007;
constexpr int kCheckedOutByOther = -2008;
constexpr int kNotInRepository = -2009;
constexpr int kNotCheckedOut = -2010;
constexpr int kUnchanged = -2011;
constexpr int kNoSuchVersion = -2013;
constexpr int kInvalidUser = -2014;
constexpr int kNotAuthorized = -2016;
constexpr int kNotControlled = -2017;
constexpr int kUnknownProject = -2018;
constexpr int kUnknownOrganization = -2020;
constexpr int kUserNotice = -2021;
constexpr int kCheckedOutByYou = -2026;
}  // namespace status

}  // namespace brelmox
