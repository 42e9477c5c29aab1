#include "common/archive_stream.h"

#include <algorithm>
#include <cstring>

#include "common/zip_bytes.h"

namespace brelmox {

namespace {

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kUnknownSize = 0xffffffffu;
constexpr unsigned kEncrypted = 1;
constexpr unsigned kSizesFollowData = 8;
// What may follow the entry's data: a data descriptor and the central directory, end
// record and zip64 records of a one-entry archive, each name and comment at its longest.
constexpr std::size_t kLargestTail = 1 << 20;

}  // namespace

ArchiveStream::ArchiveStream(EntrySink sink, EntryInflater* inflater)
    : sink_(std::move(sink)), headSize_(kLocalHeaderSize), inflater_(inflater) {
    if (inflater_ == nullptr) {
        ownInflater_ = std::make_unique<EntryInflater>();
        inflater_ = ownInflater_.get();
    }
}

ArchiveStream::~ArchiveStream() = default;

bool ArchiveStream::EntryEnded() const {
    return started_ && inflater_->Ended();
}

bool ArchiveStream::Take(const char* data, std::size_t size) {
    if (!failed_ && !started_) failed_ = !TakeHead(&data, &size);
    if (failed_ || size == 0) return !failed_;
    if (!inflater_->Ended()) {
        std::size_t used = 0;
        failed_ = inflater_->Take(data, size, &used, sink_) == EntryInflater::Step::Failed;
        data += used;
        size -= used;
    }
    if (size > 0) {
        failed_ = failed_ || tail_.size() + size > kLargestTail;
        if (!failed_) tail_.append(data, size);
    }
    return !failed_;
}

bool ArchiveStream::TakeHead(const char** data, std::size_t* size) {
    while (*size > 0 && !started_) {
        const std::size_t count = std::min(*size, headSize_ - head_.size());
        head_.append(*data, count);
        *data += count;
        *size -= count;
        if (head_.size() < headSize_) return true;
        if (headSize_ == kLocalHeaderSize) {
            if (LittleEndian(head_, 0, 4) != kLocalHeaderSignature) return false;
            headSize_ += LittleEndian(head_, 26, 2) + LittleEndian(head_, 28, 2);
            if (head_.size() < headSize_) continue;
        }
        if (!StartEntry()) return false;
    }
    return true;
}

// The local header decides how the data ends: a deflated stream ends itself; stored data
// needs its size here, as nothing else marks its end.
bool ArchiveStream::StartEntry() {
    const unsigned flags = LittleEndian(head_, 6, 2);
    method_ = static_cast<int>(LittleEndian(head_, 8, 2));
    std::uint64_t size = 0;
    if ((flags & kEncrypted) != 0 || !DeclaredSize(flags, &size)) return false;
    inflater_->Start(method_, size);
    started_ = true;
    return true;
}

// What the entry unpacks to as its headers declare it, never more.
bool ArchiveStream::DeclaredSize(unsigned flags, std::uint64_t* size) const {
    if ((flags & kSizesFollowData) != 0) {
        if (method_ == 0 || !expectedSize_) return false;
        *size = *expectedSize_;
        return true;
    }
    *size = LittleEndian(head_, 22, 4);
    std::uint64_t packedSize = LittleEndian(head_, 18, 4);
    ReadZip64Values(head_.substr(kLocalHeaderSize + LittleEndian(head_, 26, 2)),
                    {size, &packedSize});
    return *size != kUnknownSize && (method_ != 0 || packedSize == *size);
}

bool ArchiveStream::Finish(ArchiveBytes* whole) {
    if (failed_ || !EntryEnded()) return false;
    HeadAndTailBytes kept(head_, head_.size() + inflater_->EntrySize(), tail_);
    return MatchesRecords(whole != nullptr ? *whole : kept);
}

bool ArchiveStream::MatchesRecords(ArchiveBytes& archive) const {
    FirstEntryRecord record;
    return ReadFirstEntryRecord(archive, &record) && record.dataStart == head_.size() &&
           record.method == method_ && (record.flags & kEncrypted) == 0 &&
           record.crc == inflater_->Crc() && record.size == inflater_->ContentSize() &&
           record.packedSize == inflater_->EntrySize();
}

}  // namespace brelmox
