#include "common/archive_stream.h"

#include <minizip/unzip.h>

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

std::uint32_t Little(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint64_t Little64(const std::string& bytes, std::size_t at) {
    return std::uint64_t{Little(bytes, at + 4, 4)} << 32 | Little(bytes, at, 4);
}

// Debian 12's minizip leaves the 32-bit placeholders where the central directory keeps an
// entry's sizes in its zip64 extra field (tag 1: each 64-bit value present only when its
// 32-bit field holds the placeholder, uncompressed size first).
void ReadZip64Sizes(const std::string& extra, std::uint64_t* size, std::uint64_t* packedSize) {
    for (std::size_t at = 0; at + 4 <= extra.size(); at += 4 + Little(extra, at + 2, 2)) {
        if (Little(extra, at, 2) != 1) continue;
        std::size_t field = at + 4;
        const std::size_t end =
            std::min<std::size_t>(extra.size(), field + Little(extra, at + 2, 2));
        for (std::uint64_t* value : {size, packedSize}) {
            if (*value != kUnknownSize || field + 8 > end) continue;
            *value = Little64(extra, field);
            field += 8;
        }
    }
}

// Closes what minizip opened on every path.
struct OpenArchive {
    unzFile file;
    explicit OpenArchive(zlib_filefunc64_def* functions) : file(unzOpen2_64("", functions)) {}
    ~OpenArchive() {
        if (file != nullptr) unzClose(file);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;
};

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
            if (Little(head_, 0, 4) != kLocalHeaderSignature) return false;
            headSize_ += Little(head_, 26, 2) + Little(head_, 28, 2);
            if (head_.size() < headSize_) continue;
        }
        if (!StartEntry()) return false;
    }
    return true;
}

// The local header decides how the data ends: a deflated stream ends itself; stored data
// needs its size here, as nothing else marks its end.
bool ArchiveStream::StartEntry() {
    const unsigned flags = Little(head_, 6, 2);
    method_ = static_cast<int>(Little(head_, 8, 2));
    const std::uint32_t storedSize = Little(head_, 18, 4);
    if ((flags & kEncrypted) != 0) return false;
    if (method_ == 0 && ((flags & kSizesFollowData) != 0 || storedSize == kUnknownSize))
        return false;
    inflater_->Start(method_, storedSize);
    started_ = true;
    return true;
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

bool ReadFirstEntryRecord(ArchiveBytes& archive, FirstEntryRecord* record) {
    zlib_filefunc64_def functions;
    SetFileFunctions(archive, &functions);
    OpenArchive zip(&functions);
    unz_file_info64 info{};
    std::string extra;
    if (zip.file == nullptr || unzGoToFirstFile(zip.file) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip.file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return false;
    }
    extra.resize(info.size_file_extra);
    if (unzGetCurrentFileInfo64(zip.file, &info, nullptr, 0, extra.data(), extra.size(), nullptr,
                                0) != UNZ_OK) {
        return false;
    }
    // Opened raw, minizip checks the local header against the central directory and finds
    // the data, and inflates nothing: its own size arithmetic stops at 4 GiB.
    int level = 0;
    if (unzOpenCurrentFile2(zip.file, &record->method, &level, 1) != UNZ_OK) return false;
    record->dataStart = unzGetCurrentFileZStreamPos64(zip.file);
    unzCloseCurrentFile(zip.file);
    record->flags = static_cast<unsigned>(info.flag);
    record->crc = static_cast<std::uint32_t>(info.crc);
    record->packedSize = info.compressed_size;
    record->size = info.uncompressed_size;
    ReadZip64Sizes(extra, &record->size, &record->packedSize);
    return true;
}

}  // namespace brelmox
