#include "server/storage/sqlite/placeholders.h"

namespace server {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string NumberedPlaceholders(std::string_view sql) {
    std::string rendered(sql);
    char quote = '\0';  // the quote of the literal or name being read, if any
    for (std::size_t i = 0; i < rendered.size(); ++i) {
        const char c = rendered[i];
        if (quote != '\0') {
            // A doubled quote inside reads as one and leaves the literal open.
            if (c == quote) quote = '\0';
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '$' && i + 1 < rendered.size() && IsDigit(rendered[i + 1])) {
            rendered[i] = '?';
        }
    }
    return rendered;
}

}  // namespace server
