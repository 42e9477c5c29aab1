#include "client/answer_stream.h"

namespace brelmox {

namespace {
constexpr size_t kReadPiece = 65535;
}

bool AnswerStream::AppendTo(std::string* held) {
    if (ended_ || failed_) return false;
    piece_.resize(kReadPiece);
    size_t got = 0;
    if (!call_.Read(piece_.data(), piece_.size(), &got)) {
        failed_ = true;
        return false;
    }
    if (got == 0) {
        ended_ = true;
        return false;
    }
    held->append(piece_.data(), got);
    return true;
}

}  // namespace brelmox
