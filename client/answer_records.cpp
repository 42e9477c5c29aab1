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

size_t Find(std::string_view held, std::string_view pattern, size_t from = 0) {
    const char* found =
        FindBytes(held.data() + from, held.size() - from, pattern.data(), pattern.size());
    return found == nullptr ? std::string::npos : static_cast<size_t>(found - held.data());
}

// A complete answer of protocol, a non-zero status and an error line.
bool IsRefusal(std::string_view held) {
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
    const std::string_view held = Held();
    bool onlyBlank = std::all_of(held.begin(), held.end(),
                                 [](char c) { return c == '\n' || c == '\r' || c == ' '; });
    return onlyBlank ? Next::End : Next::Truncated;
}

AnswerRecords::Next AnswerRecords::CutShort() const {
    if (abandoned_) return Next::Abandoned;
    return stream_.Failed() ? Next::ReadFailed : Next::Truncated;
}

bool AnswerRecords::ReadMore() {
    // The bytes handed on go only now, one move per read rather than one per record.
    held_.erase(0, start_);
    start_ = 0;
    return !abandoned_ && stream_.AppendTo(&held_);
}

void AnswerRecords::Consume(size_t count) {
    start_ += count;
    if (start_ == held_.size()) {
        held_.clear();
        start_ = 0;
    }
}

AnswerRecords::Next AnswerRecords::NextRecord(std::string* fields, bool* hasContent) {
    for (size_t searched = 0;;) {
        const std::string_view held = Held();
        size_t end = Find(held, wire::kRecordEndLine, searched);
        size_t content =
            withContent_ ? Find(held, wire::kContentFieldStart, searched) : std::string::npos;
        size_t contentLineEnd = content == std::string::npos
                                    ? std::string::npos
                                    : held.find('\n', content + wire::kContentFieldStart.size());
        if (contentLineEnd != std::string::npos && (end == std::string::npos || content < end)) {
            fields->assign(held.data(), contentLineEnd + 1);
            Consume(contentLineEnd + 1);
            *hasContent = true;
            return Next::Record;
        }
        if (end != std::string::npos) {
            fields->assign(held.data(), end);
            Consume(end + wire::kRecordEndLine.size());
            *hasContent = false;
            return Next::Record;
        }
        if (held.size() > kMaxRecordFields) return Next::Malformed;
        // A marker may straddle two reads: search again from just before the old end.
        searched = held.size() > 32 ? held.size() - 32 : 0;
        if (ReadMore()) continue;
        if (!stream_.Failed() && IsRefusal(Held())) {
            // A refusal of the whole request may come without a record end: still show it.
            fields->assign(Held());
            Consume(Held().size());
            *hasContent = false;
            return Next::Record;
        }
        return EndOfAnswer();
    }
}

AnswerRecords::Next AnswerRecords::TakeContent(uint64_t size, const ContentWriter& write) {
    bool writing = true;
    while (size > 0) {
        if (Held().empty() && !ReadMore()) return CutShort();
        const std::string_view held = Held();
        size_t count = static_cast<size_t>(std::min<uint64_t>(size, held.size()));
        if (writing) writing = write(held.data(), count);
        if (abandoned_) return Next::Abandoned;
        Consume(count);
        size -= count;
    }
    return Next::Record;
}

AnswerRecords::Next AnswerRecords::SkipToRecordEnd() {
    const size_t endLength = wire::kRecordEndLine.size();
    for (;;) {
        const std::string_view held = Held();
        size_t end = Find(held, wire::kRecordEndLine);
        if (end != std::string::npos) {
            Consume(end + endLength);
            return Next::Record;
        }
        // Keep only what could be the start of the end line.
        if (held.size() >= endLength) Consume(held.size() - (endLength - 1));
        if (!ReadMore()) return CutShort();
    }
}

void AnswerRecords::Drain() {
    do {
        Consume(Held().size());
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
    std::string fields;  // one buffer for every record's fields
    for (;;) {
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
