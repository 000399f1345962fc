#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "wall_time.h"

std::string IsoTime(WallTime time) {
    // The local time is UTC shifted by the offset, so gmtime gives its fields
    // without consulting the process's time zone.
    const int64_t localMs = time.epochMs + static_cast<int64_t>(time.offsetMinutes) * 60000;
    int64_t seconds = localMs / 1000;
    int64_t ms = localMs % 1000;
    if (ms < 0) {
        ms += 1000;
        --seconds;
    }
    const time_t clockSeconds = static_cast<time_t>(seconds);
    std::tm fields{};
    gmtime_r(&clockSeconds, &fields);
    const int offset = std::abs(time.offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec, static_cast<int>(ms),
                  time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}
