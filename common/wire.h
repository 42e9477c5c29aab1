// The words of the protocol that client and server share. The boundary is spelt once;
// every framing line is joined from it by the compiler, so the two sides cannot drift.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace brelmox {

namespace wire {

namespace join_detail {
template <const std::string_view&... Parts>
constexpr auto Joined() {
    std::array<char, (Parts.size() + ...) + 1> text{};
    auto at = text.begin();
    ((at = std::copy(Parts.begin(), Parts.end(), at)), ...);
    return text;  // the last byte stays zero, so data() is also a C string
}
template <const std::string_view&... Parts>
inline constexpr auto kJoined = Joined<Parts...>();
}  // namespace join_detail

// The parts joined end to end, as one constant with static storage.
template <const std::string_view&... Parts>
inline constexpr std::string_view Join{join_detail::kJoined<Parts...>.data(),
                                       join_detail::kJoined<Parts...>.size() - 1};

inline constexpr std::string_view kBoundary = "AaB03x";
inline constexpr std::string_view kDashes = "--";
inline constexpr std::string_view kLf = "\n";
inline constexpr std::string_view kCrLf = "\r\n";

// Requests: a multipart body whose lines end in CR LF.
inline constexpr std::string_view kMultipartTypePrefix = "multipart/form-data, boundary=";
inline constexpr std::string_view kContentType = Join<kMultipartTypePrefix, kBoundary>;
inline constexpr std::string_view kContentTypeName = "Content-Type: ";
inline constexpr std::string_view kContentTypeHeader = Join<kContentTypeName, kContentType>;
inline constexpr std::string_view kFirstPartLine = Join<kDashes, kBoundary, kCrLf>;
inline constexpr std::string_view kNextPartLine = Join<kCrLf, kDashes, kBoundary, kCrLf>;
inline constexpr std::string_view kBodyTrailer = Join<kCrLf, kDashes, kBoundary, kDashes, kCrLf>;

// Answers: keyword lines that end in LF, each after the field line.
inline constexpr std::string_view kFieldLine = Join<kDashes, kBoundary, kLf>;
inline constexpr std::string_view kRecordEndLine = Join<kDashes, kBoundary, kDashes, kLf>;

// Keywords, each with its colon.
inline constexpr std::string_view kKeyProtocol = "protocol:";
inline constexpr std::string_view kKeyStatus = "status:";
inline constexpr std::string_view kKeyError = "error:";
inline constexpr std::string_view kKeyName = "name:";
inline constexpr std::string_view kKeyViewpath = "viewpath:";
inline constexpr std::string_view kKeyVersion = "version:";
inline constexpr std::string_view kKeySize = "size:";
inline constexpr std::string_view kKeyContent = "content:";
inline constexpr std::string_view kKeyLabel = "label:";
inline constexpr std::string_view kKeyProject = "project:";
inline constexpr std::string_view kKeyUser = "user:";
inline constexpr std::string_view kKeyDate = "date:";
inline constexpr std::string_view kKeyVersionStatus = "version_status:";
inline constexpr std::string_view kKeyDescription = "description:";
inline constexpr std::string_view kKeyDateRemoved = "date_removed:";
inline constexpr std::string_view kKeyRemover = "remover:";

// The field that starts a record's inline content.
inline constexpr std::string_view kContentFieldStart = Join<kFieldLine, kKeyContent>;

}  // namespace wire

}  // namespace brelmox
