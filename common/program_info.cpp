#include "common/program_info.h"

namespace brelmox {

std::string_view ProductVersion() {
    return BRELMOX_VERSION;
}

bool AnswerInfoRequest(int argc, const char* const* argv, std::string_view programName,
                       std::string_view usage, std::ostream& out) {
    if (argc != 2 || argv[1] == nullptr) return false;
    const std::string_view word = argv[1];
    if (word == "--help") {
        out << usage;
        if (!usage.empty() && usage.back() != '\n') out << '\n';
        return true;
    }
    if (word == "--version") {
        out << programName << ' ' << ProductVersion() << '\n';
        return true;
    }
    return false;
}

}  // namespace brelmox
