// The answers that carry several records (get and check out, undo check-out, remove).
// Each record ends with the record end line (wire::kRecordEndLine). A file record announces
// its archive's size and the archive bytes follow its "content:" line; they are handed on
// as they arrive, so memory holds one read and one record's fields, never a whole file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "client/answer_stream.h"
#include "client/transport.h"
#include "common/entry_inflater.h"

namespace brelmox {

class AnswerRecords {
  public:
    enum class Next {
        Record,      // a record's fields are in *fields
        End,         // the answer ended after a complete record
        Truncated,   // the answer ended inside a record
        ReadFailed,  // the transport failed; its message has been shown
        Malformed,   // no record end within a sane distance
        Abandoned,   // a local failure ended the reading; the rest is never read
    };

    // withContent: records may carry inline content after a "content:" line.
    AnswerRecords(ServerCall& call, bool withContent);

    // The next record's fields: up to and including its "content:" line when it carries
    // content, otherwise the whole record without its end line.
    Next NextRecord(std::string* fields, bool* hasContent);

    // Hands exactly size content bytes to write (which returns false to stop writing,
    // the bytes are then still consumed). Truncated when the answer ends first.
    using ContentWriter = std::function<bool(const char* data, size_t length)>;
    Next TakeContent(uint64_t size, const ContentWriter& write);

    // Skips what lies between the content and the record end line, and the line.
    Next SkipToRecordEnd();

    // Reads and discards the rest of the answer, unless it was abandoned.
    void Drain();

    // Reads nothing more: after a local failure (a full disk) the rest of an answer, which
    // may be as long as the server likes, is of no use.
    void Abandon() { abandoned_ = true; }

    // Unpacks the archives of the answer's records one after another, so that a download of
    // many files sets up one inflate state rather than one per file.
    EntryInflater& Inflater() { return inflater_; }

  private:
    // Reads one more piece into held_; false at the end of the answer, after a failure or
    // once abandoned.
    bool ReadMore();
    // The received bytes not yet handed on, and the handing on of the first count of them.
    std::string_view Held() const { return std::string_view(held_).substr(start_); }
    void Consume(size_t count);
    Next EndOfAnswer() const;
    // Why the reading stopped inside a record.
    Next CutShort() const;

    AnswerStream stream_;
    bool withContent_;
    std::string held_;  // received bytes, handed on up to start_
    size_t start_ = 0;
    bool abandoned_ = false;
    EntryInflater inflater_;
};

// Hands every record to onRecord until it returns false, after which the rest of the
// answer is read and dropped. Returns 0 when the answer ended properly, otherwise the
// code of BrokenAnswerResult.
using RecordHandler = std::function<bool(const std::string& fields, bool hasContent)>;
int ForEachRecord(AnswerRecords& records, const COstrelContext& context,
                  const RecordHandler& onRecord);

// The result of an answer that broke off or lost its form, with its message shown:
// -5 for an answer that ended inside a record or failed, -1003 for a malformed one.
int BrokenAnswerResult(AnswerRecords::Next next, const COstrelContext& context);

}  // namespace brelmox
