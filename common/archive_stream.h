// Unpacks the first entry of a one-entry archive as its bytes arrive, in order, with no
// copy of the archive kept: the entry's local header is read to find its data, the data is
// inflated straight into the sink, and once the archive has passed, the container's records
// (its central directory, zip64 records included) are read from the kept head and tail and
// every size and the CRC are held against them. Sizes are 64-bit throughout, so entries
// of 4 GiB and more unpack like any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/entry_inflater.h"
#include "common/zip_records.h"

namespace brelmox {

class ArchiveStream {
  public:
    // inflater, when given, unpacks the entry and must outlive the stream: one inflater
    // serves the archives of a whole answer in turn. Without it the stream has its own.
    explicit ArchiveStream(EntrySink sink, EntryInflater* inflater = nullptr);
    ~ArchiveStream();
    ArchiveStream(const ArchiveStream&) = delete;
    ArchiveStream& operator=(const ArchiveStream&) = delete;

    // The entry's size as the caller read it from the central directory before the
    // archive's bytes came. It bounds an entry whose local header leaves its sizes to a data
    // descriptor behind the data; without it such an entry is refused, as nothing would
    // limit what it unpacks to before its end.
    void ExpectSize(std::uint64_t size) { expectedSize_ = size; }

    // The next bytes of the archive; false once it failed (damaged, or the sink refused).
    bool Take(const char* data, std::size_t size);

    // True once the entry's data has passed; the rest of the archive may still follow.
    bool EntryEnded() const;

    // After the last byte: true only when the entry unpacked whole and agrees with the
    // archive's records. whole reads the complete archive when the caller has it;
    // otherwise the kept head and tail stand in for it.
    bool Finish(ArchiveBytes* whole = nullptr);

  private:
    bool TakeHead(const char** data, std::size_t* size);
    bool StartEntry();
    bool DeclaredSize(unsigned flags, std::uint64_t* size) const;
    bool MatchesRecords(ArchiveBytes& archive) const;

    EntrySink sink_;
    std::string head_;
    std::string tail_;
    std::size_t headSize_;
    int method_ = -1;
    std::optional<std::uint64_t> expectedSize_;
    std::unique_ptr<EntryInflater> ownInflater_;
    EntryInflater* inflater_;
    bool started_ = false;  // the local header was read and the inflater started
    bool failed_ = false;
};

}  // namespace brelmox
