// The answer of a get or check-out, produced record by record while it is sent: each
// file record's stored archive is read in pieces, so memory does not grow with the answer.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "server/storage/storage.h"

namespace server {

struct OutgoingRecord {
    int status = 0;
    std::string error;  // a refusal record when status is not 0
    std::string name;
    std::string folder;
    std::int64_t version = 0;
    std::string object;  // the archive's content address
    std::int64_t size = 0;
};

// Where the records come from: a list made in advance, or a query read as the answer goes.
class RecordSource {
  public:
    virtual ~RecordSource() = default;
    // The next record, or false when the answer has no more.
    virtual bool Next(OutgoingRecord& record) = 0;
};

class ListedRecords final : public RecordSource {
  public:
    explicit ListedRecords(std::vector<OutgoingRecord> records) : records_(std::move(records)) {}
    bool Next(OutgoingRecord& record) override;

  private:
    std::vector<OutgoingRecord> records_;
    std::size_t index_ = 0;
};

class RecordStream {
  public:
    RecordStream(Storage& storage, std::unique_ptr<RecordSource> records)
        : storage_(storage), records_(std::move(records)) {}

    // Replaces piece with the next bytes of the answer, several small records at once;
    // false once the answer is complete. Throws StorageError when a stored archive cannot
    // be read to its end, once the bytes before it have been given.
    bool Next(std::string& piece);

    // The status of the last refusal record sent, 0 when there was none.
    int LastFailure() const { return lastFailure_; }

  private:
    // Appends the next part of the answer to piece: a record's head, or a piece of its
    // archive; false when no record is left.
    bool NextPart(std::string& piece);
    void StartRecord(std::string& piece);
    void ContinueContent(std::string& piece);
    void FinishRecord(std::string& piece);

    Storage& storage_;
    std::unique_ptr<RecordSource> records_;
    OutgoingRecord record_;
    std::unique_ptr<ContentSource> content_;
    std::int64_t remaining_ = 0;
    int lastFailure_ = 0;
    std::exception_ptr failure_;  // thrown on the call after the bytes before it went out
};

}  // namespace server
