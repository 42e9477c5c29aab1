#include "platform/time_zone.h"

#include <windows.h>

#include <cstdint>

namespace platform {

namespace {

// FILETIME counts 100-nanosecond steps from 1601; time_t seconds from 1970.
constexpr std::int64_t kStepsPerSecond = 10000000;
constexpr std::int64_t kEpochSteps = 116444736000000000;
constexpr std::int64_t kStepsPerMinute = 60 * kStepsPerSecond;

std::int64_t Steps(const FILETIME& time) {
    return (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

// The system's zone and its daylight-time rules for the year of `when`.
int TimeZoneOffsetMinutes(std::time_t when) {
    const std::int64_t steps = static_cast<std::int64_t>(when) * kStepsPerSecond + kEpochSteps;
    FILETIME utcTime{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
    SYSTEMTIME utc{}, local{};
    FILETIME localTime{};
    if (!FileTimeToSystemTime(&utcTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !SystemTimeToFileTime(&local, &localTime)) {
        return 0;
    }
    return static_cast<int>((Steps(utcTime) - Steps(localTime)) / kStepsPerMinute);
}

}  // namespace platform
