// Turns an entry's stored bytes back into its content, counting its size and CRC as the
// content passes, so that the caller can hold both against the archive's records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct z_stream_s;

namespace brelmox {

// Takes each unpacked piece; false stops the unpacking as failed.
using EntrySink = std::function<bool(const char* data, std::size_t size)>;

// One object unpacks any number of entries in turn: the inflate state and its output buffer
// are made for the first deflated entry and reset for each later one, so that a download of
// many small files does not set them up anew for every file.
class EntryInflater {
  public:
    EntryInflater();
    ~EntryInflater();
    EntryInflater(const EntryInflater&) = delete;
    EntryInflater& operator=(const EntryInflater&) = delete;

    // Begins an entry, whatever the last one left: method 8 (deflated) or 0 (stored),
    // declaredSize bytes of content as the archive's headers give them. Other methods fail
    // at once. Content beyond the declared size fails the entry before any of it reaches
    // the sink: a few hundred KiB of deflated data can claim a handful of bytes and unpack
    // to gigabytes.
    void Start(int method, std::uint64_t declaredSize);

    enum class Step { More, Ended, Failed };
    // Takes entry bytes and hands their content to sink; *used says how many of the bytes
    // belonged to the entry (fewer once it ended). Failed on damaged data or a refusing sink.
    Step Take(const char* data, std::size_t size, std::size_t* used, const EntrySink& sink);

    bool Ended() const { return ended_; }
    std::uint32_t Crc() const { return crc_; }
    std::uint64_t ContentSize() const { return contentSize_; }
    std::uint64_t EntrySize() const { return entrySize_; }

  private:
    Step TakeStored(const char* data, std::size_t size, std::size_t* used, const EntrySink& sink);
    Step TakeDeflated(const char* data, std::size_t size, std::size_t* used, const EntrySink& sink);
    bool Hand(const char* data, std::size_t size, const EntrySink& sink);

    int method_ = -1;
    std::uint64_t declaredSize_ = 0;
    std::uint64_t storedLeft_ = 0;
    std::unique_ptr<z_stream_s> stream_;
    bool streamReady_ = false;
    bool ended_ = false;
    bool failed_ = true;  // until an entry starts
    std::vector<char> out_;
    std::uint32_t crc_ = 0;
    std::uint64_t contentSize_ = 0;
    std::uint64_t entrySize_ = 0;
};

}  // namespace brelmox
