#include "server/scripts/answer.h"
#include "common/wire.h"

namespace server {
namespace {

// The client reads the protocol field and does not use it.
constexpr const char* kProtocolTag = "1";

}  // namespace

KeywordAnswer::KeywordAnswer(int status) {
    Field(brelmox::wire::kKeyProtocol, kProtocolTag);
    Field(brelmox::wire::kKeyStatus, status);
}

KeywordAnswer& KeywordAnswer::Field(std::string_view keyword, const std::string& value) {
    text_ += brelmox::wire::kFieldLine;
    text_ += keyword;
    for (char c : value) text_ += (c == '\n' || c == '\r') ? ' ' : c;
    text_ += '\n';
    return *this;
}

KeywordAnswer& KeywordAnswer::EndRecord() {
    text_ += brelmox::wire::kRecordEndLine;
    return *this;
}

std::string KeywordAnswer::Failure(int status, const std::string& error, bool asRecord) {
    KeywordAnswer answer(status);
    answer.Field(brelmox::wire::kKeyError, error.empty() ? std::string("Request refused.") : error);
    if (asRecord) answer.EndRecord();
    return answer.Take();
}

}  // namespace server
