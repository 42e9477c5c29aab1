#include "platform/host_code_page.h"

namespace platform {

std::string FromHostCodePage(std::string_view text) {
    return std::string(text);
}

bool ToHostCodePage(const std::string& utf8, std::string* host) {
    *host = utf8;
    return true;
}

}  // namespace platform
