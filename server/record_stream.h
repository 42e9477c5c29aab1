// The answer of a get or check-out, produced record by record while it is sent: each
// file record's stored archive is read in pieces, so memory does not grow with the answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/storage.h"

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

class RecordStream {
  public:
    RecordStream(Storage& storage, std::vector<OutgoingRecord> records)
        : storage_(storage), records_(std::move(records)) {}

    // Replaces piece with the next bytes of the answer; false once the answer is complete.
    // Throws StorageError when a stored archive cannot be read to its end.
    bool Next(std::string& piece);

    // The status of the last refusal record sent, 0 when there was none.
    int LastFailure() const { return lastFailure_; }

  private:
    void StartRecord(std::string& piece);
    void ContinueContent(std::string& piece);
    void FinishRecord(std::string& piece);

    Storage& storage_;
    std::vector<OutgoingRecord> records_;
    std::size_t index_ = 0;
    std::unique_ptr<ContentSource> content_;
    std::int64_t remaining_ = 0;
    int lastFailure_ = 0;
};

}  // namespace server
