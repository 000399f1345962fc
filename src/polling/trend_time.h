#pragma once
// The trend's clock: milliseconds of the local wall clock counted from
// 1970-01-01 00:00 as if that clock were UTC. Records hold local times, so
// every midnight falls on a whole multiple of a day and ticks land on round
// local times without a time-zone table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "poll_record.h"

using TrendMs = int64_t;

// From `begin` to `end`, both included.
struct TrendSpan {
    TrendMs begin = 0;
    TrendMs end = 0;
};

constexpr TrendMs kSecondMs = 1000;
constexpr TrendMs kMinuteMs = 60 * kSecondMs;
constexpr TrendMs kHourMs = 60 * kMinuteMs;
constexpr TrendMs kDayMs = 24 * kHourMs;

TrendMs ToTrendMs(const LocalTime& time);
LocalTime ToLocalTime(TrendMs ms);

// "2024-03-05T08:09:10.123" as the records write it; a space may stand for
// the T and the milliseconds may be missing. None when it is no such time.
std::optional<TrendMs> ParseIsoLocalTime(std::string_view text);

// "03-05 08:09:10.123": a marker's time.
std::string MarkerTimeText(TrendMs ms);
// "1:02:03.456" (hours:minutes:seconds) or "2.500s" under a minute, signed.
std::string DurationText(TrendMs ms);
