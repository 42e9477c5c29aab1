#include "server/record_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/format.h"
#include "common/wire.h"
#include "server/answer.h"
#include "server/database.h"
#include "server/statuses.h"
#include "server/view_path.h"

namespace server {
namespace {

constexpr std::int64_t kPieceSize = 1 << 18;
constexpr const char* kContentMissing = "The stored content of '%s' cannot be read.";

}  // namespace

bool RecordStream::Next(std::string& piece) {
    piece.clear();
    if (content_.valid()) {
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
        content_ = platform::UniqueFd(open(record.objectPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info;
        if (!content_.valid() || fstat(content_.get(), &info) != 0 || info.st_size != record.size) {
            content_ = platform::UniqueFd();
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
        const ssize_t got = read(content_.get(), piece.data() + filled, piece.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        // The head with its size has gone out: a short archive cannot be answered any more.
        if (got <= 0)
            throw StorageError(std::string("Stored archive ended early: ") + std::strerror(errno));
        filled += static_cast<std::size_t>(got);
    }
    remaining_ -= static_cast<std::int64_t>(filled);
    if (remaining_ == 0) FinishRecord(piece);
}

void RecordStream::FinishRecord(std::string& piece) {
    // The end line follows the archive's last byte directly.
    piece += brelmox::wire::kRecordEndLine;
    content_ = platform::UniqueFd();
    ++index_;
}

}  // namespace server
