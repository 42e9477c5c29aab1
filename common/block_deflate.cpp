#include "common/block_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <future>
#include <string>

#include "platform/file_system.h"

namespace brelmox {

namespace {

// Large enough that priming and flushing cost nothing measurable, small enough that the
// blocks in flight stay a few MiB.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr std::size_t kWindowSize = 32768;
// The unit of the compressibility test, and the sample of it that is tried.
constexpr std::size_t kPieceSize = 65536;
constexpr std::size_t kSampleSize = 4096;
// Output room kept free before a parameter change, enough for what it flushes, and before
// any other call.
constexpr std::size_t kFlushRoom = 4 * kPieceSize;
constexpr std::size_t kRunRoom = 4096;
// Blocks in flight take about 2 MiB each: more cores than this would not keep the client
// within its memory budget.
constexpr unsigned kMostWorkers = 4;
constexpr int kStoredLevel = 0;
constexpr int kProbeLevel = 1;

struct Block {
    std::string input;
    std::string dictionary;
    bool last = false;
};

struct PackedBlock {
    std::string output;
    std::uint32_t crc = 0;
    std::uint64_t inputSize = 0;
    bool ok = false;
};

unsigned UsableCores() {
    return std::min(platform::UsableCoreCount(), kMostWorkers);
}

Bytef* Bytes(const char* data) {
    return reinterpret_cast<Bytef*>(const_cast<char*>(data));
}

// One raw deflate stream, reset for every block it packs, and a fast probe that tells
// whether a piece is worth searching for matches.
class BlockDeflater {
  public:
    BlockDeflater() {
        ready_ =
            deflateInit2(&stream_, current_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        probeReady_ = deflateInit2(&probe_, kProbeLevel, Z_DEFLATED, -MAX_WBITS, 8,
                                   Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~BlockDeflater() {
        if (ready_) deflateEnd(&stream_);
        if (probeReady_) deflateEnd(&probe_);
    }
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;

    PackedBlock Pack(const Block& block, int level) {
        level_ = level;
        PackedBlock packed;
        packed.inputSize = block.input.size();
        packed.crc = static_cast<std::uint32_t>(
            crc32_z(0, Bytes(block.input.data()), static_cast<z_size_t>(block.input.size())));
        packed.ok = ready_ && probeReady_ && Start(block, &packed.output) &&
                    PackPieces(block.input, &packed.output) &&
                    Run(block.last ? Z_FINISH : Z_SYNC_FLUSH, &packed.output);
        packed.output.resize(stream_.total_out);
        return packed;
    }

  private:
    bool Start(const Block& block, std::string* output) {
        if (deflateReset(&stream_) != Z_OK) return false;
        output->resize(deflateBound(&stream_, block.input.size()) + kRunRoom);
        if (!UseLevel(level_, output)) return false;
        return block.dictionary.empty() ||
               deflateSetDictionary(&stream_, Bytes(block.dictionary.data()),
                                    static_cast<uInt>(block.dictionary.size())) == Z_OK;
    }

    bool PackPieces(const std::string& input, std::string* output) {
        for (std::size_t at = 0; at < input.size(); at += kPieceSize) {
            const std::size_t size = std::min(kPieceSize, input.size() - at);
            if (!UseLevel(Compresses(input.data() + at, size) ? level_ : kStoredLevel, output)) {
                return false;
            }
            stream_.next_in = Bytes(input.data() + at);
            stream_.avail_in = static_cast<uInt>(size);
            if (!Run(Z_NO_FLUSH, output)) return false;
        }
        return true;
    }

    // A piece is stored only when samples at both its ends fail to compress, so that a
    // piece where random bytes give way to text is still searched.
    bool Compresses(const char* piece, std::size_t size) {
        const std::size_t sample = std::min(size, kSampleSize);
        return SampleCompresses(piece, sample) || SampleCompresses(piece + size - sample, sample);
    }

    bool SampleCompresses(const char* sample, std::size_t size) {
        Bytef packed[kSampleSize + 64];
        if (deflateReset(&probe_) != Z_OK) return true;
        probe_.next_in = Bytes(sample);
        probe_.avail_in = static_cast<uInt>(size);
        probe_.next_out = packed;
        probe_.avail_out = sizeof(packed);
        deflate(&probe_, Z_FINISH);
        return probe_.total_out < size - size / 32;
    }

    bool UseLevel(int level, std::string* output) {
        if (level == current_) return true;
        MakeRoom(output, kFlushRoom);
        current_ = level;
        return deflateParams(&stream_, level, Z_DEFAULT_STRATEGY) == Z_OK;
    }

    void MakeRoom(std::string* output, std::size_t room) {
        const std::size_t used = stream_.total_out;
        if (output->size() < used + room) output->resize(used + 2 * room);
        stream_.next_out = reinterpret_cast<Bytef*>(output->data() + used);
        stream_.avail_out = static_cast<uInt>(output->size() - used);
    }

    // Deflates until the input is taken and, for a flush, all of it is out.
    bool Run(int flush, std::string* output) {
        for (;;) {
            MakeRoom(output, kRunRoom);
            const int status = deflate(&stream_, flush);
            if (status == Z_STREAM_ERROR) return false;
            if (flush == Z_FINISH ? status == Z_STREAM_END
                                  : stream_.avail_in == 0 && stream_.avail_out > 0) {
                return true;
            }
        }
    }

    int level_ = Z_DEFAULT_COMPRESSION;
    int current_ = Z_DEFAULT_COMPRESSION;
    z_stream stream_{};
    z_stream probe_{};
    bool ready_ = false;
    bool probeReady_ = false;
};

// Fills *block with the next min(kBlockSize, *left) bytes, fewer when the file has
// shrunk, which makes it the last; false on a read error. Sized to what is left, a small
// file costs no 1 MiB buffer.
bool ReadBlock(int fd, std::uint64_t* left, std::string* block) {
    block->resize(static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, *left)));
    std::size_t filled = 0;
    while (filled < block->size()) {
        const long long got =
            platform::ReadSome(fd, block->data() + filled, block->size() - filled);
        if (got < 0) return false;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    *left = filled < block->size() ? 0 : *left - filled;
    block->resize(filled);
    return true;
}

std::string WindowBefore(const std::string& input) {
    return input.substr(input.size() - std::min(input.size(), kWindowSize));
}

// Packs the many small files of one command without setting up a stream for each.
PackedBlock PackHere(const Block& block, int level) {
    thread_local BlockDeflater deflater;
    return deflater.Pack(block, level);
}

}  // namespace

bool DeflateFrom(int sourceFd, int level, const DeflateSink& sink, DeflatedContent* content,
                 const PackProgress& progress) {
    *content = DeflatedContent{};
    // The size when packing starts is what is packed: it decided the entry's zip64 records.
    std::uint64_t total = 0;
    if (!platform::SizeOfOpenFile(sourceFd, &total)) return false;
    const unsigned workers = UsableCores();
    std::deque<std::future<PackedBlock>> inFlight;
    auto handOn = [&](const PackedBlock& packed) {
        if (!packed.ok || !sink(packed.output.data(), packed.output.size())) return false;
        // A block is far smaller than z_off_t can count, which is 32 bits on Windows.
        content->crc = static_cast<std::uint32_t>(
            crc32_combine(content->crc, packed.crc, static_cast<z_off_t>(packed.inputSize)));
        content->size += packed.inputSize;
        if (progress) progress(content->size, total);
        return true;
    };
    std::uint64_t left = total;
    Block block;
    if (!ReadBlock(sourceFd, &left, &block.input)) return false;
    std::string following;
    bool ok = true;
    while (ok) {
        ok = ReadBlock(sourceFd, &left, &following);
        const bool last = following.empty() || !ok;
        block.last = last;
        std::string window = WindowBefore(block.input);
        if (last && inFlight.empty()) {
            ok = ok && handOn(PackHere(block, level));
            break;
        }
        inFlight.push_back(std::async(std::launch::async, [level, packing = std::move(block)] {
            return BlockDeflater().Pack(packing, level);
        }));
        while (!inFlight.empty() && (inFlight.size() > workers || last || !ok)) {
            ok = handOn(inFlight.front().get()) && ok;
            inFlight.pop_front();
        }
        if (last) break;
        block = Block{std::move(following), std::move(window), false};
        following = std::string();
    }
    return ok;
}

}  // namespace brelmox
