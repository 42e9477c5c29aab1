#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include "test_support/scoped_variable.h"

namespace {

constexpr std::time_t kJanuary15 = 1705320000;  // 2024-01-15 12:00 UTC
constexpr std::time_t kJuly15 = 1721044800;     // 2024-07-15 12:00 UTC

TEST(TimeZoneTest, OffsetIsMinutesToUtcWithDaylightTimeIncluded) {
    const struct {
        const char* zone;
        std::time_t when;
        int minutes;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", kJanuary15, -60},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kJuly15, -120},
        {"EST5EDT,M3.2.0,M11.1.0", kJanuary15, 300},
        {"EST5EDT,M3.2.0,M11.1.0", kJuly15, 240},
        {"<+0530>-5:30", kJuly15, -330},
        {"UTC0", kJanuary15, 0},
    };
    for (const auto& c : cases) {
        testsupport::ScopedVariable zone("TZ", c.zone);
        EXPECT_EQ(platform::TimeZoneOffsetMinutes(c.when), c.minutes) << c.zone << " " << c.when;
    }
}

}  // namespace
