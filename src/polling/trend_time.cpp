#include "trend_time.h"

#include <charconv>
#include <cstdio>

namespace {

// Howard Hinnant's days_from_civil and civil_from_days: the proleptic
// Gregorian calendar both ways, exact for any year we will meet.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Exactly `width` digits at `at`, else false.
bool Digits(std::string_view text, size_t at, size_t width, int& value) {
    if (at + width > text.size()) return false;
    for (size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    std::from_chars(text.data() + at, text.data() + at + width, value);
    return true;
}

}  // namespace

TrendMs ToTrendMs(const LocalTime& t) {
    const int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return days * kDayMs + t.hour * kHourMs + t.minute * kMinuteMs + t.second * kSecondMs + t.millisecond;
}

LocalTime ToLocalTime(TrendMs ms) {
    LocalTime t;
    const int64_t days = FloorDiv(ms, kDayMs);
    CivilFromDays(days, t.year, t.month, t.day);
    int64_t rest = ms - days * kDayMs;
    t.hour = static_cast<int>(rest / kHourMs);
    rest %= kHourMs;
    t.minute = static_cast<int>(rest / kMinuteMs);
    rest %= kMinuteMs;
    t.second = static_cast<int>(rest / kSecondMs);
    t.millisecond = static_cast<int>(rest % kSecondMs);
    return t;
}

std::optional<TrendMs> ParseIsoLocalTime(std::string_view s) {
    LocalTime t;
    const bool shape = Digits(s, 0, 4, t.year) && s.size() > 4 && s[4] == '-' && Digits(s, 5, 2, t.month) &&
                       s.size() > 7 && s[7] == '-' && Digits(s, 8, 2, t.day) && s.size() > 10 &&
                       (s[10] == 'T' || s[10] == ' ') && Digits(s, 11, 2, t.hour) && s.size() > 13 && s[13] == ':' &&
                       Digits(s, 14, 2, t.minute) && s.size() > 16 && s[16] == ':' && Digits(s, 17, 2, t.second);
    if (!shape) return std::nullopt;
    if (s.size() != 19 && !(s.size() == 23 && s[19] == '.' && Digits(s, 20, 3, t.millisecond))) return std::nullopt;
    // Day 31 of a 30-day month would quietly become the 1st of the next.
    static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > kMonthDays[t.month - 1] || t.hour > 23 || t.minute > 59 ||
        t.second > 59) {
        return std::nullopt;
    }
    return ToTrendMs(t);
}

std::string MarkerTimeText(TrendMs ms) {
    const LocalTime t = ToLocalTime(ms);
    char text[40];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d.%03d", t.month, t.day, t.hour, t.minute, t.second,
                  t.millisecond);
    return text;
}

std::string DurationText(TrendMs ms) {
    const char* sign = ms < 0 ? "-" : "";
    const int64_t a = ms < 0 ? -ms : ms;
    char text[48];
    if (a < kMinuteMs) {
        std::snprintf(text, sizeof text, "%s%lld.%03llds", sign, static_cast<long long>(a / kSecondMs),
                      static_cast<long long>(a % kSecondMs));
    } else {
        std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld.%03lld", sign, static_cast<long long>(a / kHourMs),
                      static_cast<long long>(a % kHourMs / kMinuteMs),
                      static_cast<long long>(a % kMinuteMs / kSecondMs), static_cast<long long>(a % kSecondMs));
    }
    return text;
}
