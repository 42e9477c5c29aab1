#include "client/field_reader.h"

#include "client/messages.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

// The length of the field at the front of bytes, or npos while it has not all come. What
// does not start with the field line is no field: ParseField refuses its first bytes.
size_t FieldLength(std::string_view bytes) {
    const size_t boundary = wire::kFieldLine.size();
    if (bytes.size() < boundary) return std::string_view::npos;
    if (!bytes.starts_with(wire::kFieldLine)) return boundary;
    const size_t lineEnd = bytes.find('\n', boundary);
    return lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1;
}

}  // namespace

FieldReader::FieldReader(ServerCall& call, const COstrelContext& context, size_t longestValue)
    : stream_(call), context_(context), longestValue_(longestValue) {}

int FieldReader::Read(std::string_view keyword, std::string* value) {
    const size_t longestField = wire::kFieldLine.size() + keyword.size() + longestValue_ + 1;
    if (!HoldField(longestField)) return result::kUnexpectedField;
    return ParseField(&start_, keyword, value, held_.data(), held_.size());
}

bool FieldReader::HoldField(size_t longestField) {
    if (malformed_) return false;
    for (;;) {
        const std::string_view rest = std::string_view(held_).substr(start_);
        const size_t length = FieldLength(rest);
        if (length <= longestField) return true;
        if (length != std::string_view::npos || rest.size() > longestField) return Malformed();
        // Only the field in progress is kept.
        held_.erase(0, start_);
        start_ = 0;
        if (stream_.AppendTo(&held_)) continue;
        if (stream_.Failed()) {
            held_.clear();
            return false;
        }
        // The answer's last line ends with the answer, as if its LF had come.
        if (!held_.empty() && held_.back() != '\n') held_ += '\n';
        return true;
    }
}

bool FieldReader::Malformed() {
    ReportMessage(context_, msg::kMalformedAnswer);
    malformed_ = true;
    return false;
}

int FieldReader::Result() const {
    if (malformed_) return result::kUnexpectedField;
    return stream_.Failed() ? result::kReadFailed : result::kSuccess;
}

int PostFieldRequest(COstrelContext& context, const std::string& script, MultipartBody& body,
                     const char* failureMessage, size_t longestValue,
                     const FieldsHandler& readFields) {
    ServerCall call(context, script);
    if (call.OpenResult() != 0) return call.OpenResult();
    const int sent = call.Send(body, failureMessage);
    if (sent != 0) return sent;
    FieldReader answer(call, context, longestValue);
    const int status = ReadStatus(answer.Source());
    if (status != 0) {
        ReportMessage(context, ReadError(answer.Source()));
        return status;
    }
    readFields(answer);
    return answer.Result();
}

}  // namespace brelmox
