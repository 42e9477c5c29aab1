// Keyword answers: every field is the field line (brelmox::wire::kFieldLine) followed by
// "keyword:value\n", and every answer or record starts with "protocol:" and "status:".
// Records of answers that may carry several end with brelmox::wire::kRecordEndLine.
#pragma once

#include <string>
#include <string_view>

namespace server {

class KeywordAnswer {
  public:
    // Starts with the protocol and status fields.
    explicit KeywordAnswer(int status);

    // A line break inside a value would end the line early, so it travels as a space.
    KeywordAnswer& Field(std::string_view keyword, const std::string& value);
    KeywordAnswer& Field(std::string_view keyword, long long value) {
        return Field(keyword, std::to_string(value));
    }
    KeywordAnswer& EndRecord();

    // A failure: the status and its "error:" line, and the end line for a record.
    static std::string Failure(int status, const std::string& error, bool asRecord);

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

}  // namespace server
