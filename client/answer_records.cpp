#include "client/answer_records.h"

#include <algorithm>
#include <string_view>

#include "client/messages.h"
#include "client/response.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

// Fields of a record are a few lines; this much without a record end means the answer is broken.
constexpr size_t kMaxRecordFields = 1 << 20;

size_t Find(const std::string& held, std::string_view pattern, size_t from = 0) {
    const char* found =
        FindBytes(held.data() + from, held.size() - from, pattern.data(), pattern.size());
    return found == nullptr ? std::string::npos : static_cast<size_t>(found - held.data());
}

// A complete answer of protocol, a non-zero status and an error line.
bool IsRefusal(const std::string& held) {
    size_t position = 0;
    std::string error;
    return ReadStatus(&position, held.data(), held.size()) != 0 &&
           ParseField(&position, wire::kKeyError, &error, held.data(), held.size()) == 0 &&
           held.back() == '\n';
}

}  // namespace

AnswerRecords::AnswerRecords(ServerCall& call, bool withContent)
    : stream_(call), withContent_(withContent) {}

AnswerRecords::Next AnswerRecords::EndOfAnswer() const {
    if (abandoned_) return Next::Abandoned;
    if (stream_.Failed()) return Next::ReadFailed;
    // Line ends and blanks after the last record are no record.
    bool onlyBlank = std::all_of(held_.begin(), held_.end(),
                                 [](char c) { return c == '\n' || c == '\r' || c == ' '; });
    return onlyBlank ? Next::End : Next::Truncated;
}

AnswerRecords::Next AnswerRecords::CutShort() const {
    if (abandoned_) return Next::Abandoned;
    return stream_.Failed() ? Next::ReadFailed : Next::Truncated;
}

AnswerRecords::Next AnswerRecords::NextRecord(std::string* fields, bool* hasContent) {
    for (size_t searched = 0;;) {
        size_t end = Find(held_, wire::kRecordEndLine, searched);
        size_t content =
            withContent_ ? Find(held_, wire::kContentFieldStart, searched) : std::string::npos;
        size_t contentLineEnd = content == std::string::npos
                                    ? std::string::npos
                                    : held_.find('\n', content + wire::kContentFieldStart.size());
        if (contentLineEnd != std::string::npos && (end == std::string::npos || content < end)) {
            *fields = held_.substr(0, contentLineEnd + 1);
            held_.erase(0, contentLineEnd + 1);
            *hasContent = true;
            return Next::Record;
        }
        if (end != std::string::npos) {
            *fields = held_.substr(0, end);
            held_.erase(0, end + wire::kRecordEndLine.size());
            *hasContent = false;
            return Next::Record;
        }
        if (held_.size() > kMaxRecordFields) return Next::Malformed;
        // A marker may straddle two reads: search again from just before the old end.
        searched = held_.size() > 32 ? held_.size() - 32 : 0;
        if (ReadMore()) continue;
        if (!stream_.Failed() && IsRefusal(held_)) {
            // A refusal of the whole request may come without a record end: still show it.
            fields->swap(held_);
            held_.clear();
            *hasContent = false;
            return Next::Record;
        }
        return EndOfAnswer();
    }
}

AnswerRecords::Next AnswerRecords::TakeContent(uint64_t size, const ContentWriter& write) {
    bool writing = true;
    while (size > 0) {
        if (held_.empty() && !ReadMore()) return CutShort();
        size_t count = static_cast<size_t>(std::min<uint64_t>(size, held_.size()));
        if (writing) writing = write(held_.data(), count);
        if (abandoned_) return Next::Abandoned;
        held_.erase(0, count);
        size -= count;
    }
    return Next::Record;
}

AnswerRecords::Next AnswerRecords::SkipToRecordEnd() {
    const size_t endLength = wire::kRecordEndLine.size();
    for (;;) {
        size_t end = Find(held_, wire::kRecordEndLine);
        if (end != std::string::npos) {
            held_.erase(0, end + endLength);
            return Next::Record;
        }
        // Keep only what could be the start of the end line.
        if (held_.size() >= endLength) held_.erase(0, held_.size() - (endLength - 1));
        if (!ReadMore()) return CutShort();
    }
}

void AnswerRecords::Drain() {
    do {
        held_.clear();
    } while (ReadMore());
}

int BrokenAnswerResult(AnswerRecords::Next next, const COstrelContext& context) {
    switch (next) {
        case AnswerRecords::Next::Malformed:
            ReportMessage(context, msg::kMalformedAnswer);
            return result::kUnexpectedField;
        case AnswerRecords::Next::Truncated:
            ReportMessage(context, msg::kAnswerEndedInRecord);
            return result::kReadFailed;
        case AnswerRecords::Next::ReadFailed:  // the transport has said why
            return result::kReadFailed;
        default:
            return result::kSuccess;
    }
}

int ForEachRecord(AnswerRecords& records, const COstrelContext& context,
                  const RecordHandler& onRecord) {
    for (;;) {
        std::string fields;
        bool hasContent = false;
        AnswerRecords::Next next = records.NextRecord(&fields, &hasContent);
        if (next != AnswerRecords::Next::Record) return BrokenAnswerResult(next, context);
        if (!onRecord(fields, hasContent)) {
            records.Drain();
            return 0;
        }
    }
}

}  // namespace brelmox
