#include "platform/time_zone.h"

namespace platform {

int TimeZoneOffsetMinutes(std::time_t when) {
    // localtime_r need not look at TZ again after the first call; tzset makes it.
    tzset();
    struct tm local {};
    if (localtime_r(&when, &local) == nullptr) return 0;
    return -static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace platform
