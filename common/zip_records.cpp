#include "common/zip_records.h"

#include <algorithm>
#include <initializer_list>

#include "common/zip_bytes.h"

namespace brelmox {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kLongestComment = 0xffff;
constexpr std::uint32_t kUnknownSize = 0xffffffffu;
constexpr unsigned kSizesFollowData = 8;

std::uint64_t Little64(const std::string& bytes, std::size_t at) {
    return std::uint64_t{LittleEndian(bytes, at + 4, 4)} << 32 | LittleEndian(bytes, at, 4);
}

// All count bytes at offset, or false.
bool ReadExactly(ArchiveBytes& archive, std::uint64_t offset, std::size_t count,
                 std::string* bytes) {
    const std::uint64_t size = archive.Size();
    if (offset > size || count > size - offset) return false;
    bytes->resize(count);
    return archive.ReadAt(offset, bytes->data(), count) == static_cast<long long>(count);
}

// The end record is the last signature whose comment fits before the archive's end. Most
// archives have no comment, so the last 22 bytes are tried before the longest comment's span.
bool FindEnd(ArchiveBytes& archive, std::uint64_t* at, std::string* end) {
    const std::uint64_t size = archive.Size();
    if (!ReadExactly(archive, size - std::min<std::uint64_t>(size, kEndSize), kEndSize, end))
        return false;
    *at = size - kEndSize;
    if (LittleEndian(*end, 0, 4) == kEndSignature && LittleEndian(*end, 20, 2) == 0) return true;
    const std::size_t span =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + kLongestComment));
    std::string last;
    if (!ReadExactly(archive, size - span, span, &last)) return false;
    for (std::size_t i = span - kEndSize + 1; i-- > 0;) {
        if (LittleEndian(last, i, 4) == kEndSignature &&
            i + kEndSize + LittleEndian(last, i + 20, 2) <= span) {
            *at = size - span + i;
            *end = last.substr(i, kEndSize);
            return true;
        }
    }
    return false;
}

struct CentralDirectory {
    std::uint64_t entries = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint64_t endsAt = 0;  // where the record that describes it begins
};

// A zip64 locator right before the end record points at the zip64 end record, whose values
// stand in for the 16- and 32-bit ones.
bool ReadZip64End(ArchiveBytes& archive, std::uint64_t endAt, CentralDirectory* directory) {
    std::string locator;
    if (endAt < kZip64LocatorSize ||
        !ReadExactly(archive, endAt - kZip64LocatorSize, kZip64LocatorSize, &locator) ||
        LittleEndian(locator, 0, 4) != kZip64LocatorSignature) {
        return true;
    }
    const std::uint64_t recordAt = Little64(locator, 8);
    std::string record;
    if (LittleEndian(locator, 4, 4) != 0 ||
        !ReadExactly(archive, recordAt, kZip64EndSize, &record) ||
        LittleEndian(record, 0, 4) != kZip64EndSignature || LittleEndian(record, 16, 4) != 0 ||
        LittleEndian(record, 20, 4) != 0 || Little64(record, 24) != Little64(record, 32)) {
        return false;
    }
    directory->entries = Little64(record, 32);
    directory->size = Little64(record, 40);
    directory->offset = Little64(record, 48);
    directory->endsAt = recordAt;
    return true;
}

bool ReadCentralDirectory(ArchiveBytes& archive, CentralDirectory* directory) {
    std::uint64_t endAt = 0;
    std::string end;
    if (!FindEnd(archive, &endAt, &end)) return false;
    // One disk only, holding every entry.
    if (LittleEndian(end, 4, 2) != 0 || LittleEndian(end, 6, 2) != 0 ||
        LittleEndian(end, 8, 2) != LittleEndian(end, 10, 2)) {
        return false;
    }
    directory->entries = LittleEndian(end, 10, 2);
    directory->size = LittleEndian(end, 12, 4);
    directory->offset = LittleEndian(end, 16, 4);
    directory->endsAt = endAt;
    return ReadZip64End(archive, endAt, directory) && directory->entries > 0 &&
           directory->offset <= directory->endsAt &&
           directory->size == directory->endsAt - directory->offset;
}

// A stored size agrees when it is the placeholder of a zip64 entry or the same value.
bool SizeAgrees(std::uint32_t local, std::uint64_t central) {
    return local == kUnknownSize || local == central;
}

}  // namespace

void ReadZip64Values(const std::string& extra, std::initializer_list<std::uint64_t*> values) {
    for (std::size_t at = 0; at + 4 <= extra.size(); at += 4 + LittleEndian(extra, at + 2, 2)) {
        if (LittleEndian(extra, at, 2) != 1) continue;
        std::size_t field = at + 4;
        const std::size_t end =
            std::min<std::size_t>(extra.size(), field + LittleEndian(extra, at + 2, 2));
        for (std::uint64_t* value : values) {
            if (*value != kUnknownSize || field + 8 > end) continue;
            *value = Little64(extra, field);
            field += 8;
        }
    }
}

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool ReadFirstEntryRecord(ArchiveBytes& archive, FirstEntryRecord* record) {
    CentralDirectory directory;
    std::string central;
    if (!ReadCentralDirectory(archive, &directory) ||
        !ReadExactly(archive, directory.offset, kCentralSize, &central) ||
        LittleEndian(central, 0, 4) != kCentralSignature) {
        return false;
    }
    const std::size_t nameLength = LittleEndian(central, 28, 2);
    std::string extra;
    if (!ReadExactly(archive, directory.offset + kCentralSize + nameLength,
                     LittleEndian(central, 30, 2), &extra)) {
        return false;
    }
    record->flags = LittleEndian(central, 8, 2);
    record->method = static_cast<int>(LittleEndian(central, 10, 2));
    record->crc = LittleEndian(central, 16, 4);
    record->packedSize = LittleEndian(central, 20, 4);
    record->size = LittleEndian(central, 24, 4);
    std::uint64_t localAt = LittleEndian(central, 42, 4);
    ReadZip64Values(extra, {&record->size, &record->packedSize, &localAt});

    // The local header must describe the same entry; its CRC and sizes count only when they
    // do not follow the data.
    std::string local;
    if (!ReadExactly(archive, localAt, kLocalSize, &local) ||
        LittleEndian(local, 0, 4) != kLocalSignature ||
        static_cast<int>(LittleEndian(local, 8, 2)) != record->method ||
        LittleEndian(local, 26, 2) != nameLength) {
        return false;
    }
    if ((LittleEndian(local, 6, 2) & kSizesFollowData) == 0 &&
        (LittleEndian(local, 14, 4) != record->crc ||
         !SizeAgrees(LittleEndian(local, 18, 4), record->packedSize) ||
         !SizeAgrees(LittleEndian(local, 22, 4), record->size))) {
        return false;
    }
    record->dataStart = localAt + kLocalSize + nameLength + LittleEndian(local, 28, 2);
    return true;
}

}  // namespace brelmox
