// An answer as it arrives: each read appends one piece of at most 64 KiB to the bytes a
// reader holds, so a reader keeps only what it has not used yet.
#pragma once

#include <string>
#include <vector>

#include "client/transport.h"

namespace brelmox {

class AnswerStream {
  public:
    explicit AnswerStream(ServerCall& call) : call_(call) {}

    // Appends the next piece to *held; false at the end of the answer or after a failed
    // read (the transport has shown its message), and from then on.
    bool AppendTo(std::string* held);

    bool Failed() const { return failed_; }

  private:
    ServerCall& call_;
    std::vector<char> piece_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace brelmox
