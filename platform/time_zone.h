// The local time zone, as the server needs it to show dates in the user's own time.
#pragma once

#include <ctime>

namespace platform {

// The minutes to add to local time at `when` to get UTC: minus the UTC offset in force then,
// daylight time included (-60 in Central European winter, -120 in its summer). The zone is
// read from TZ afresh on every call; on Windows it is the system's zone.
int TimeZoneOffsetMinutes(std::time_t when);

}  // namespace platform
