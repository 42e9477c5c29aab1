#include "server/http/record_stream.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "common/format.h"
#include "common/wire.h"
#include "server/scripts/answer.h"
#include "server/scripts/view_path.h"
#include "server/statuses.h"

namespace server {
namespace {

constexpr std::int64_t kPieceSize = 1 << 18;
// Records are gathered into one piece up to this size.
constexpr std::size_t kGathered = 1 << 16;
constexpr const char* kContentMissing = "The stored content of '%s' cannot be read.";

}  // namespace

bool ListedRecords::Next(OutgoingRecord& record) {
    if (index_ == records_.size()) return false;
    record = std::move(records_[index_++]);
    return true;
}

bool RecordStream::Next(std::string& piece) {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    piece.clear();
    // Small records go out together: a file of a few KiB then costs no send of its own.
    try {
        while (piece.size() < kGathered && NextPart(piece)) {
        }
    } catch (const std::exception&) {
        // What was gathered goes out first, as it would have one part at a time.
        if (piece.empty()) throw;
        failure_ = std::current_exception();
    }
    return !piece.empty();
}

bool RecordStream::NextPart(std::string& piece) {
    if (content_) {
        ContinueContent(piece);
        return true;
    }
    if (!records_->Next(record_)) return false;
    StartRecord(piece);
    return true;
}

void RecordStream::StartRecord(std::string& piece) {
    OutgoingRecord& record = record_;
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
        piece += KeywordAnswer::Failure(record.status, record.error, true);
        return;
    }
    KeywordAnswer head(brelmox::result::kSuccess);
    head.Field(brelmox::wire::kKeyName, record.name)
        .Field(brelmox::wire::kKeyVersion, record.version)
        .Field(brelmox::wire::kKeySize, record.size)
        .Field(brelmox::wire::kKeyViewpath, WireFolder(record.folder))
        .Field(brelmox::wire::kKeyContent, "");
    piece += head.Take();
    remaining_ = record.size;
    if (remaining_ == 0) FinishRecord(piece);
}

void RecordStream::ContinueContent(std::string& piece) {
    const std::size_t start = piece.size();
    const std::size_t count = static_cast<std::size_t>(std::min(remaining_, kPieceSize));
    piece.resize(start + count);
    for (std::size_t filled = start; filled < piece.size();) {
        const std::size_t got = content_->Read(piece.data() + filled, piece.size() - filled);
        // The head with its size has gone out: a short archive cannot be answered any more.
        if (got == 0) {
            piece.resize(start);
            throw StorageError("Stored archive ended early");
        }
        filled += got;
    }
    remaining_ -= static_cast<std::int64_t>(count);
    if (remaining_ == 0) FinishRecord(piece);
}

void RecordStream::FinishRecord(std::string& piece) {
    // The end line follows the archive's last byte directly.
    piece += brelmox::wire::kRecordEndLine;
    content_.reset();
}

}  // namespace server
