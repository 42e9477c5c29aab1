// A request the server turns down as a whole: its status and the text of its "error:" line.
// Thrown inside a script and turned into the answer at the script's boundary.
#pragma once

#include <stdexcept>
#include <string>

#include "common/format.h"

namespace server {

class Refusal : public std::runtime_error {
  public:
    Refusal(int status, const std::string& text) : std::runtime_error(text), status_(status) {}

    template <typename... Args>
    static Refusal Of(int status, const char* format, const Args&... args) {
        return Refusal(status, brelmox::FormatMessage(format, args...));
    }

    int Status() const { return status_; }

  private:
    int status_;
};

}  // namespace server
