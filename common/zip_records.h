// The records of a zip archive that say what its first entry unpacks to: the end of central
// directory (zip64 forms included), the entry's central directory header and its local
// header. They are read in a few whole-record reads rather than searched for byte by byte,
// as a download of many small files reads them once per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace brelmox {

class ArchiveBytes;

// What the central directory and local header say about an archive's first entry.
struct FirstEntryRecord {
    int method = 0;
    unsigned flags = 0;
    std::uint32_t crc = 0;
    std::uint64_t packedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t dataStart = 0;
};

// False when the records cannot be read as far as the first entry's data: one missing or
// cut, an archive over several disks, a central directory that does not end where the end
// record begins, or a local header that disagrees with the central directory.
bool ReadFirstEntryRecord(ArchiveBytes& archive, FirstEntryRecord* record);

// Fills from a header's zip64 extra field (tag 1) each value that holds the 32-bit
// placeholder, in the field's fixed order: size, packed size, local header offset.
void ReadZip64Values(const std::string& extra, std::initializer_list<std::uint64_t*> values);

// The count (at most 4) bytes at bytes[at] as a little-endian number, as zip records keep
// their numbers.
std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int count);

}  // namespace brelmox
