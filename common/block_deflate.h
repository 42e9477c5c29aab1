// Deflates a file as one raw deflate stream, in blocks packed on every usable core. Each
// block is primed with the 32 KiB before it, so matches reach back as far as in a stream
// packed in one piece, and ends on a byte boundary (a sync flush; the last block finishes
// the stream), so the blocks join by plain concatenation and their CRCs by crc32_combine.
// Stretches that do not compress are stored rather than searched for matches they lack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace brelmox {

// Takes each piece of the stream in order; false stops the packing as failed.
using DeflateSink = std::function<bool(const char* data, std::size_t size)>;

// Told, after each block is handed to the sink, how many bytes of the file are packed so far
// and how many there are to pack: called once per block, so it costs nothing next to the
// packing, and rising to the total (less when the file shrank while it was read).
using PackProgress = std::function<void(std::uint64_t packed, std::uint64_t total)>;

struct DeflatedContent {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
};

// Reads sourceFd to its end; false on a read error, a zlib error or a refusing sink.
// progress may be empty.
bool DeflateFrom(int sourceFd, int level, const DeflateSink& sink, DeflatedContent* content,
                 const PackProgress& progress);

}  // namespace brelmox
