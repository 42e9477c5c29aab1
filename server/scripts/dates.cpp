#include "server/scripts/dates.h"

#include <ctime>

namespace server {

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string FormatClientDate(std::int64_t utcSeconds, int offsetMinutes) {
    const std::time_t local =
        static_cast<std::time_t>(utcSeconds - std::int64_t{offsetMinutes} * 60);
    std::tm parts{};
    gmtime_r(&local, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string FormatUtcDate(std::int64_t utcSeconds) {
    return FormatClientDate(utcSeconds, 0) + " UTC";
}

}  // namespace server
