#include "common/entry_inflater.h"

#include <zlib.h>

#include <algorithm>

namespace brelmox {

namespace {

constexpr int kDeflated = Z_DEFLATED;
constexpr int kStored = 0;
constexpr std::size_t kOutputPiece = 65536;

}  // namespace

EntryInflater::EntryInflater() = default;

void EntryInflater::Start(int method, std::uint64_t declaredSize) {
    method_ = method;
    declaredSize_ = declaredSize;
    storedLeft_ = declaredSize;
    crc_ = 0;
    contentSize_ = 0;
    entrySize_ = 0;
    if (method_ == kDeflated) {
        if (!streamReady_) {
            stream_ = std::make_unique<z_stream>();
            // A raw stream: the zip entry carries no zlib header.
            streamReady_ = inflateInit2(stream_.get(), -MAX_WBITS) == Z_OK;
            failed_ = !streamReady_;
            out_.resize(kOutputPiece);
        } else {
            failed_ = inflateReset(stream_.get()) != Z_OK;
        }
        ended_ = false;
    } else {
        failed_ = method_ != kStored;
        ended_ = method_ == kStored && storedLeft_ == 0;
    }
}

EntryInflater::~EntryInflater() {
    if (streamReady_) inflateEnd(stream_.get());
}

bool EntryInflater::Hand(const char* data, std::size_t size, const EntrySink& sink) {
    if (size == 0) return true;
    if (size > declaredSize_ - contentSize_) return false;
    crc_ = static_cast<std::uint32_t>(
        crc32_z(crc_, reinterpret_cast<const Bytef*>(data), static_cast<z_size_t>(size)));
    contentSize_ += size;
    return sink(data, size);
}

EntryInflater::Step EntryInflater::Take(const char* data, std::size_t size, std::size_t* used,
                                        const EntrySink& sink) {
    *used = 0;
    if (failed_) return Step::Failed;
    if (ended_) return Step::Ended;
    const Step step = method_ == kStored ? TakeStored(data, size, used, sink)
                                         : TakeDeflated(data, size, used, sink);
    entrySize_ += *used;
    failed_ = step == Step::Failed;
    ended_ = step == Step::Ended;
    return step;
}

EntryInflater::Step EntryInflater::TakeStored(const char* data, std::size_t size, std::size_t* used,
                                              const EntrySink& sink) {
    *used = static_cast<std::size_t>(std::min<std::uint64_t>(size, storedLeft_));
    storedLeft_ -= *used;
    if (!Hand(data, *used, sink)) return Step::Failed;
    return storedLeft_ == 0 ? Step::Ended : Step::More;
}

EntryInflater::Step EntryInflater::TakeDeflated(const char* data, std::size_t size,
                                                std::size_t* used, const EntrySink& sink) {
    stream_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream_->avail_in = static_cast<uInt>(size);
    int status = Z_OK;
    do {
        stream_->next_out = reinterpret_cast<Bytef*>(out_.data());
        stream_->avail_out = static_cast<uInt>(out_.size());
        status = inflate(stream_.get(), Z_NO_FLUSH);
        const std::size_t produced = out_.size() - stream_->avail_out;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return Step::Failed;
        if (!Hand(out_.data(), produced, sink)) return Step::Failed;
    } while (status == Z_OK && (stream_->avail_in > 0 || stream_->avail_out == 0));
    *used = size - stream_->avail_in;
    return status == Z_STREAM_END ? Step::Ended : Step::More;
}

}  // namespace brelmox
