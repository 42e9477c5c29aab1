#include "server/answer.h"

namespace server {
namespace {

constexpr const char* kFieldStart = "--AaB03x\n";
// The client reads the protocol field and does not use it.
constexpr const char* kProtocolTag = "1";

}  // namespace

KeywordAnswer::KeywordAnswer(int status) {
    Field("protocol:", kProtocolTag);
    Field("status:", status);
}

KeywordAnswer& KeywordAnswer::Field(const char* keyword, const std::string& value) {
    text_ += kFieldStart;
    text_ += keyword;
    for (char c : value) text_ += (c == '\n' || c == '\r') ? ' ' : c;
    text_ += '\n';
    return *this;
}

KeywordAnswer& KeywordAnswer::EndRecord() {
    text_ += kRecordEndLine;
    return *this;
}

std::string KeywordAnswer::Failure(int status, const std::string& error, bool asRecord) {
    KeywordAnswer answer(status);
    answer.Field("error:", error.empty() ? std::string("Request refused.") : error);
    if (asRecord) answer.EndRecord();
    return answer.Take();
}

}  // namespace server
