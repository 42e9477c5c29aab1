#include "server/record_stream.h"

#include <algorithm>

#include "common/format.h"
#include "common/wire.h"
#include "server/answer.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

constexpr std::int64_t kPieceSize = 1 << 18;
constexpr const char* kContentMissing = "The stored content of '%s' cannot be read.";

}  // namespace

bool RecordStream::Next(std::string& piece) {
    piece.clear();
    if (content_) {
        ContinueContent(piece);
        return true;
    }
    if (index_ == records_.size()) return false;
    StartRecord(piece);
    return true;
}

void RecordStream::StartRecord(std::string& piece) {
    OutgoingRecord& record = records_[index_];
    if (record.status == 0) {
        content_ = storage_.OpenContent(record.object, record.size);
        if (!content_) {
            record.status = own_status::kStorageFailure;
            record.error =
                brelmox::FormatMessage(kContentMissing, ShownPath(record.folder, record.name));
        }
    }
    if (record.status != 0) {
        lastFailure_ = record.status;
        piece = KeywordAnswer::Failure(record.status, record.error, true);
        ++index_;
        return;
    }
    KeywordAnswer head(brelmox::result::kSuccess);
    head.Field(brelmox::wire::kKeyName, record.name)
        .Field(brelmox::wire::kKeyVersion, record.version)
        .Field(brelmox::wire::kKeySize, record.size)
        .Field(brelmox::wire::kKeyViewpath, WireFolder(record.folder))
        .Field(brelmox::wire::kKeyContent, "");
    piece = head.Take();
    remaining_ = record.size;
    if (remaining_ == 0) FinishRecord(piece);
}

void RecordStream::ContinueContent(std::string& piece) {
    piece.resize(static_cast<std::size_t>(std::min(remaining_, kPieceSize)));
    std::size_t filled = 0;
    while (filled < piece.size()) {
        const std::size_t got = content_->Read(piece.data() + filled, piece.size() - filled);
        // The head with its size has gone out: a short archive cannot be answered any more.
        if (got == 0) throw StorageError("Stored archive ended early");
        filled += got;
    }
    remaining_ -= static_cast<std::int64_t>(filled);
    if (remaining_ == 0) FinishRecord(piece);
}

void RecordStream::FinishRecord(std::string& piece) {
    // The end line follows the archive's last byte directly.
    piece += brelmox::wire::kRecordEndLine;
    content_.reset();
    ++index_;
}

}  // namespace server
