// Times are stored as UTC seconds and shown as "YYYY-MM-DD HH:MM:SS".
#pragma once

#include <cstdint>
#include <string>

namespace server {

std::int64_t Now();

// The time in the client's zone; the offset is what the client sends in "timezone":
// the minutes to add to its local time to get UTC.
std::string FormatClientDate(std::int64_t utcSeconds, int offsetMinutes);

// For answers whose request names no zone: UTC, and it says so.
std::string FormatUtcDate(std::int64_t utcSeconds);

}  // namespace server
